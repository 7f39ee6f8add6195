// VOKQM7 from Java, through JNA: the six exports, stdcall on Windows, every
// text passed as the GBK bytes of Windows' code page 936, refused when it
// holds a character that code page lacks.
package vokqm7;

import com.sun.jna.Library;
import com.sun.jna.Native;
import com.sun.jna.Platform;
import com.sun.jna.win32.StdCallLibrary;
import java.nio.ByteBuffer;
import java.nio.CharBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.Charset;
import java.nio.charset.CharsetEncoder;
import java.nio.charset.CodingErrorAction;
import java.util.Collections;
import java.util.Map;

public final class Vokqm7 {
  // Windows' code page 936 itself, as the DLL converts: Java's "GBK" maps
  // some characters (the euro sign) to other bytes.
  public static final Charset GBK = Charset.forName("x-mswin-936");
  // No size goes with the buffer; the longest message takes 52 bytes.
  static final int MESSAGE_BUFFER_SIZE = 256;

  /** The exports as the library has them; texts are zero-terminated GBK. */
  public interface Vokqm7Library extends StdCallLibrary {
    int GetVersionQM7();

    int GetReportDate(byte[] loginXml, byte[] outputPath, byte[] messageBuffer);

    int GetReport(byte[] loginXml, int trailingNumber, byte[] templatePath, byte[] dataFilePath,
        byte[] messageBuffer);

    int GetReportV2(byte[] loginXml, byte[] outputPath, byte[] messageBuffer);

    int OpenReportV2(byte[] loginXml, byte[] messageBuffer);

    int GetReportDateV2(byte[] loginXml, byte[] outputPath, byte[] messageBuffer);
  }

  /**
   * A call that failed: its negative result, the library's message decoded from GBK, and the
   * message's number in docs/messages.md ({@code vokqm7 explain N}).
   */
  public static final class Vokqm7Exception extends Exception {
    private static final long serialVersionUID = 2L;
    public final String function;
    public final int result;
    public final String libraryMessage;
    public final Vokqm7Message code;

    Vokqm7Exception(String function, int result, String libraryMessage, Vokqm7Message code) {
      super(function + " failed (" + result + ", message " + code.number() + "): " + libraryMessage);
      this.function = function;
      this.result = result;
      this.libraryMessage = libraryMessage;
      this.code = code;
    }
  }

  /** The login text: every field the library reads; a field left null is not written. */
  public static final class Login {
    private final String[] values = new String[ELEMENTS.length];
    private static final String[] ELEMENTS = {"AccountCode", "Year", "Period", "Server", "UserID",
        "Password", "LoginDate", "FileRep", "ReportType"};

    private Login set(int field, String value) {
      values[field] = value;
      return this;
    }

    public Login account(String value) { return set(0, value); }
    public Login year(int value) { return set(1, Integer.toString(value)); }
    public Login period(int value) { return set(2, Integer.toString(value)); }
    public Login server(String value) { return set(3, value); }
    /** OpenReportV2. */
    public Login user(String value) { return set(4, value); }
    /** OpenReportV2. */
    public Login password(String value) { return set(5, value); }
    /** OpenReportV2, as the report tool takes it. */
    public Login loginDate(String value) { return set(6, value); }
    /** GetReportV2 and OpenReportV2: the template. */
    public Login fileRep(String value) { return set(7, value); }
    /** GetReportV2: "ZCFZB" or "SYB". */
    public Login reportType(String value) { return set(8, value); }

    public String toXml() {
      StringBuilder xml = new StringBuilder("<Info><LoginInfo>");
      for (int i = 0; i < ELEMENTS.length; i++) {
        if (values[i] == null) continue;
        xml.append('<').append(ELEMENTS[i]).append('>').append(escape(values[i]))
            .append("</").append(ELEMENTS[i]).append('>');
      }
      return xml.append("</LoginInfo></Info>").toString();
    }
  }

  private final Vokqm7Library library;

  private Vokqm7(Vokqm7Library library) {
    this.library = library;
  }

  /** VOKQM7.dll (libVOKQM7.so) from jna.library.path, the system's search, or this jar. */
  public static Vokqm7 load() {
    return load("VOKQM7");
  }

  /** The library by name or by full path. */
  public static Vokqm7 load(String nameOrPath) {
    Map<String, Object> options = Collections.emptyMap();
    if (!Platform.isWindows()) {
      // The Linux library uses the platform's own calling convention.
      options = Collections.singletonMap(Library.OPTION_CALLING_CONVENTION,
          com.sun.jna.Function.C_CONVENTION);
    }
    return new Vokqm7(Native.load(nameOrPath, Vokqm7Library.class, options));
  }

  static String escape(String value) {
    return value.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        .replace("'", "&apos;").replace("\"", "&quot;");
  }

  /**
   * The text as zero-terminated GBK. A character GBK lacks throws IllegalArgumentException naming
   * it: the library never sees a changed text.
   */
  public static byte[] gbk(String argument, String text) {
    CharsetEncoder encoder = GBK.newEncoder().onMalformedInput(CodingErrorAction.REPORT)
        .onUnmappableCharacter(CodingErrorAction.REPORT);
    CharBuffer input = CharBuffer.wrap(text);
    try {
      ByteBuffer bytes = encoder.encode(input);
      byte[] terminated = new byte[bytes.remaining() + 1];
      bytes.get(terminated, 0, terminated.length - 1);
      return terminated;
    } catch (CharacterCodingException error) {
      int at = input.position();
      int character = text.codePointAt(at);
      throw new IllegalArgumentException(String.format("%s: '%s' (U+%04X) at %d has no GBK form; "
          + "VOKQM7 takes GBK text only", argument, new String(Character.toChars(character)),
          character, at), error);
    }
  }

  public int version() {
    return library.GetVersionQM7();
  }

  public void getReportDate(String loginXml, String outputPath) throws Vokqm7Exception {
    byte[] message = new byte[MESSAGE_BUFFER_SIZE];
    check("GetReportDate", library.GetReportDate(gbk("loginXml", loginXml),
        gbk("outputPath", outputPath), message), message);
  }

  public void getReportDateV2(String loginXml, String outputPath) throws Vokqm7Exception {
    byte[] message = new byte[MESSAGE_BUFFER_SIZE];
    check("GetReportDateV2", library.GetReportDateV2(gbk("loginXml", loginXml),
        gbk("outputPath", outputPath), message), message);
  }

  public void getReportV2(String loginXml, String outputPath) throws Vokqm7Exception {
    byte[] message = new byte[MESSAGE_BUFFER_SIZE];
    check("GetReportV2", library.GetReportV2(gbk("loginXml", loginXml),
        gbk("outputPath", outputPath), message), message);
  }

  public void getReport(String loginXml, int trailingNumber, String templatePath,
      String dataFilePath) throws Vokqm7Exception {
    byte[] message = new byte[MESSAGE_BUFFER_SIZE];
    check("GetReport", library.GetReport(gbk("loginXml", loginXml), trailingNumber,
        gbk("templatePath", templatePath), gbk("dataFilePath", dataFilePath), message), message);
  }

  public void openReportV2(String loginXml) throws Vokqm7Exception {
    byte[] message = new byte[MESSAGE_BUFFER_SIZE];
    check("OpenReportV2", library.OpenReportV2(gbk("loginXml", loginXml), message), message);
  }

  /** Throws the library's message, decoded, with its number, when result is not 0. */
  static void check(String function, int result, byte[] messageBuffer) throws Vokqm7Exception {
    if (result == 0) return;
    int end = 0;
    while (end < messageBuffer.length && messageBuffer[end] != 0) end++;
    byte[] message = java.util.Arrays.copyOf(messageBuffer, end);
    throw new Vokqm7Exception(function, result, new String(message, GBK), Vokqm7Message.of(message));
  }
}
