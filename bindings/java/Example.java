// Writes the national-tax filing of one period (GetReportDate).
//   java -cp jna.jar:. Example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
public final class Example {
  public static void main(String[] args) {
    if (args.length != 5) {
      System.err.println("usage: Example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER");
      System.exit(2);
    }
    Vokqm7.Vokqm7Library library = Vokqm7.load();
    System.out.println("interface version " + library.GetVersionQM7());
    String login = Vokqm7.loginXml(args[1], Integer.parseInt(args[2]), Integer.parseInt(args[3]),
        args[4]);
    byte[] message = Vokqm7.messageBuffer();
    try {
      Vokqm7.check("GetReportDate", library.GetReportDate(login, args[0], message), message);
    } catch (Vokqm7.Vokqm7Exception error) {
      System.out.println(error.getMessage());
      System.exit(1);
    }
    System.out.println("GetReportDate wrote " + args[0]);
  }
}
