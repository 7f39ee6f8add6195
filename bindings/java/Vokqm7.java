// VOKQM7 from Java, through JNA: the six exports, stdcall on Windows, every
// text passed as GBK bytes by a type mapper of its own.
import com.sun.jna.DefaultTypeMapper;
import com.sun.jna.FromNativeContext;
import com.sun.jna.Library;
import com.sun.jna.Memory;
import com.sun.jna.Native;
import com.sun.jna.Platform;
import com.sun.jna.Pointer;
import com.sun.jna.ToNativeContext;
import com.sun.jna.TypeConverter;
import com.sun.jna.win32.StdCallLibrary;
import java.nio.charset.Charset;
import java.util.HashMap;
import java.util.Map;

public final class Vokqm7 {
  public static final Charset GBK = Charset.forName("GBK");
  // No size goes with the buffer; the longest message takes 52 bytes.
  static final int MESSAGE_BUFFER_SIZE = 256;

  /** The exports as the library has them; "VOKQM7" is VOKQM7.dll or libVOKQM7.so. */
  public interface Vokqm7Library extends StdCallLibrary {
    int GetVersionQM7();

    int GetReportDate(String loginXml, String outputPath, byte[] messageBuffer);

    int GetReport(String loginXml, int trailingNumber, String templatePath, String dataFilePath,
        byte[] messageBuffer);

    int GetReportV2(String loginXml, String outputPath, byte[] messageBuffer);

    int OpenReportV2(String loginXml, byte[] messageBuffer);

    int GetReportDateV2(String loginXml, String outputPath, byte[] messageBuffer);
  }

  /** A call that failed: its negative result and the library's message. */
  public static final class Vokqm7Exception extends Exception {
    private static final long serialVersionUID = 1L;
    public final String function;
    public final int result;
    public final String libraryMessage;

    Vokqm7Exception(String function, int result, String libraryMessage) {
      super(function + " failed (" + result + "): " + libraryMessage);
      this.function = function;
      this.result = result;
      this.libraryMessage = libraryMessage;
    }
  }

  // A String goes out as zero-terminated GBK, whatever jna.encoding says.
  static final class GbkStringConverter implements TypeConverter {
    @Override
    public Object toNative(Object value, ToNativeContext context) {
      if (value == null) return null;
      byte[] bytes = ((String) value).getBytes(GBK);
      Memory memory = new Memory(bytes.length + 1);
      memory.write(0, bytes, 0, bytes.length);
      memory.setByte(bytes.length, (byte) 0);
      return memory;
    }

    @Override
    public Object fromNative(Object value, FromNativeContext context) {
      return value == null ? null : ((Pointer) value).getString(0, GBK.name());
    }

    @Override
    public Class<?> nativeType() {
      return Pointer.class;
    }
  }

  public static Vokqm7Library load() {
    DefaultTypeMapper mapper = new DefaultTypeMapper();
    mapper.addTypeConverter(String.class, new GbkStringConverter());
    Map<String, Object> options = new HashMap<>();
    options.put(Library.OPTION_TYPE_MAPPER, mapper);
    if (!Platform.isWindows()) {
      // The Linux library uses the platform's own calling convention.
      options.put(Library.OPTION_CALLING_CONVENTION, com.sun.jna.Function.C_CONVENTION);
    }
    return Native.load("VOKQM7", Vokqm7Library.class, options);
  }

  /** The login text of a call, its values escaped. */
  public static String loginXml(String account, int year, int period, String server) {
    return "<Info><LoginInfo><AccountCode>" + escape(account) + "</AccountCode><Year>" + year
        + "</Year><Period>" + period + "</Period><Server>" + escape(server)
        + "</Server></LoginInfo></Info>";
  }

  static String escape(String value) {
    return value.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        .replace("'", "&apos;").replace("\"", "&quot;");
  }

  public static byte[] messageBuffer() {
    return new byte[MESSAGE_BUFFER_SIZE];
  }

  /** Throws the library's message, decoded, when result is not 0. */
  public static void check(String function, int result, byte[] messageBuffer)
      throws Vokqm7Exception {
    if (result == 0) return;
    int end = 0;
    while (end < messageBuffer.length && messageBuffer[end] != 0) end++;
    throw new Vokqm7Exception(function, result, new String(messageBuffer, 0, end, GBK));
  }

  private Vokqm7() {}
}
