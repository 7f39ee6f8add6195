// Writes the national-tax filing of one period (GetReportDate), one statement from a template
// (GetReportV2), or opens the interactive report tool logged in (OpenReportV2):
//   java -cp jna.jar:. Example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
//   java -cp jna.jar:. Example --statement ZCFZB|SYB TEMPLATE.rep OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
//   java -cp jna.jar:. Example --open USER PASSWORD LOGIN_DATE TEMPLATE.rep ACCOUNT YEAR PERIOD SERVER
import java.util.Arrays;
import vokqm7.Vokqm7;

public final class Example {
  public static void main(String[] args) {
    String mode = args.length > 0 && args[0].startsWith("--") ? args[0] : "";
    int options = mode.equals("--statement") ? 3 : mode.equals("--open") ? 5 : mode.isEmpty() ? 0 : -1;
    if (options < 0 || args.length != options + (mode.equals("--open") ? 4 : 5)) {
      System.err.println("usage: Example [--statement TYPE TEMPLATE | --open USER PASSWORD LOGIN_DATE"
          + " TEMPLATE] [OUTPUT.xml] ACCOUNT YEAR PERIOD SERVER");
      System.exit(2);
    }
    String[] values = Arrays.copyOfRange(args, options, args.length);
    int at = mode.equals("--open") ? 0 : 1;
    Vokqm7.Login login = new Vokqm7.Login().account(values[at])
        .year(Integer.parseInt(values[at + 1])).period(Integer.parseInt(values[at + 2]))
        .server(values[at + 3]);
    Vokqm7 library = Vokqm7.load();
    System.out.println("interface version " + library.version());
    try {
      if (mode.equals("--open")) {
        login.user(args[1]).password(args[2]).loginDate(args[3]).fileRep(args[4]);
        library.openReportV2(login.toXml());
        System.out.println("OpenReportV2 started the report tool");
      } else if (mode.equals("--statement")) {
        library.getReportV2(login.reportType(args[1]).fileRep(args[2]).toXml(), values[0]);
        System.out.println("GetReportV2 wrote " + values[0]);
      } else {
        library.getReportDate(login.toXml(), values[0]);
        System.out.println("GetReportDate wrote " + values[0]);
      }
    } catch (Vokqm7.Vokqm7Exception | IllegalArgumentException error) {
      System.out.println(error.getMessage());
      System.exit(1);
    }
  }
}
