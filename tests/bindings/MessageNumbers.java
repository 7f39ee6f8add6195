// Each line of stdin, a message's GBK bytes in hex, as its number through the Java binding.
import java.io.BufferedReader;
import java.io.InputStreamReader;
import java.util.HexFormat;
import vokqm7.Vokqm7Message;

public final class MessageNumbers {
  public static void main(String[] args) throws Exception {
    BufferedReader in = new BufferedReader(new InputStreamReader(System.in));
    for (String line; (line = in.readLine()) != null; ) {
      System.out.println(Vokqm7Message.of(HexFormat.of().parseHex(line)).number());
    }
  }
}
