// VOKQM7 from C#: the six exports as P/Invoke declarations, and a small
// class that passes GBK bytes, refuses a text GBK cannot hold, and throws
// the library's message with its number.
using System;
using System.Globalization;
using System.Runtime.InteropServices;
using System.Security;
using System.Text;

namespace Vokqm7
{
    // The exports as the DLL has them. Texts are byte arrays of GBK ending
    // in a zero byte, so no marshaller picks the code page.
    internal static class NativeMethods
    {
        private const string Dll = "VOKQM7.dll";
        private const CallingConvention Cc = CallingConvention.StdCall;

        [DllImport(Dll, CallingConvention = Cc, ExactSpelling = true)]
        internal static extern int GetVersionQM7();

        [DllImport(Dll, CallingConvention = Cc, ExactSpelling = true)]
        internal static extern int GetReportDate(byte[] loginXml, byte[] outputPath, byte[] messageBuffer);

        [DllImport(Dll, CallingConvention = Cc, ExactSpelling = true)]
        internal static extern int GetReport(byte[] loginXml, int trailingNumber, byte[] templatePath,
                                             byte[] dataFilePath, byte[] messageBuffer);

        [DllImport(Dll, CallingConvention = Cc, ExactSpelling = true)]
        internal static extern int GetReportV2(byte[] loginXml, byte[] outputPath, byte[] messageBuffer);

        [DllImport(Dll, CallingConvention = Cc, ExactSpelling = true)]
        internal static extern int OpenReportV2(byte[] loginXml, byte[] messageBuffer);

        [DllImport(Dll, CallingConvention = Cc, ExactSpelling = true)]
        internal static extern int GetReportDateV2(byte[] loginXml, byte[] outputPath, byte[] messageBuffer);
    }

    // A failed call: its negative result, the library's message decoded from
    // GBK, and the message's number in docs/messages.md (`vokqm7 explain N`).
    public class Vokqm7Exception : Exception
    {
        public Vokqm7Exception(string function, int result, string libraryMessage, Vokqm7Message code)
            : base(function + " failed (" + result + ", message " + (int)code + "): " + libraryMessage)
        {
            Function = function;
            Result = result;
            LibraryMessage = libraryMessage;
            Code = code;
        }

        public string Function { get; private set; }
        public int Result { get; private set; }
        public string LibraryMessage { get; private set; }
        public Vokqm7Message Code { get; private set; }
    }

    // The login text: every field the library reads. A field left null is
    // not written; each call names the fields it needs (docs/integration.md).
    public class Vokqm7Login
    {
        public string AccountCode;
        public int Year;
        public int Period;
        public string Server;
        public string UserID;      // OpenReportV2
        public string Password;    // OpenReportV2
        public string LoginDate;   // OpenReportV2, as the report tool takes it
        public string FileRep;     // GetReportV2 and OpenReportV2: the template
        public string ReportType;  // GetReportV2: "ZCFZB" or "SYB"

        public string ToXml()
        {
            var xml = new StringBuilder("<Info><LoginInfo>");
            Field(xml, "AccountCode", AccountCode);
            Field(xml, "Year", Year.ToString(CultureInfo.InvariantCulture));
            Field(xml, "Period", Period.ToString(CultureInfo.InvariantCulture));
            Field(xml, "Server", Server);
            Field(xml, "UserID", UserID);
            Field(xml, "Password", Password);
            Field(xml, "LoginDate", LoginDate);
            Field(xml, "FileRep", FileRep);
            Field(xml, "ReportType", ReportType);
            return xml.Append("</LoginInfo></Info>").ToString();
        }

        private static void Field(StringBuilder xml, string element, string value)
        {
            if (value != null)
                xml.Append('<').Append(element).Append('>').Append(SecurityElement.Escape(value))
                   .Append("</").Append(element).Append('>');
        }
    }

    public static class Vokqm7Library
    {
        // No size goes with the buffer; the longest message takes 52 bytes.
        private const int MessageBufferSize = 256;

        // Code page 936 that throws on a character it lacks instead of
        // writing "?" or a look-alike.
        public static readonly Encoding Gbk = GbkEncoding();

        private static Encoding GbkEncoding()
        {
#if NETCOREAPP
            // .NET Core and .NET 5 and later know code page 936 only through this provider.
            Encoding.RegisterProvider(CodePagesEncodingProvider.Instance);
#endif
            return Encoding.GetEncoding(936, EncoderFallback.ExceptionFallback, DecoderFallback.ReplacementFallback);
        }

        // The login text of a filing call, its values escaped.
        public static string LoginXml(string account, int year, int period, string server)
        {
            return new Vokqm7Login { AccountCode = account, Year = year, Period = period, Server = server }.ToXml();
        }

        public static int GetVersion()
        {
            return NativeMethods.GetVersionQM7();
        }

        public static void GetReportDate(string loginXml, string outputPath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReportDate", NativeMethods.GetReportDate(Text("loginXml", loginXml),
                  Text("outputPath", outputPath), message), message);
        }

        public static void GetReportDateV2(string loginXml, string outputPath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReportDateV2", NativeMethods.GetReportDateV2(Text("loginXml", loginXml),
                  Text("outputPath", outputPath), message), message);
        }

        public static void GetReportV2(string loginXml, string outputPath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReportV2", NativeMethods.GetReportV2(Text("loginXml", loginXml),
                  Text("outputPath", outputPath), message), message);
        }

        public static void GetReport(string loginXml, int trailingNumber, string templatePath, string dataFilePath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReport", NativeMethods.GetReport(Text("loginXml", loginXml), trailingNumber,
                  Text("templatePath", templatePath), Text("dataFilePath", dataFilePath), message), message);
        }

        public static void OpenReportV2(string loginXml)
        {
            var message = new byte[MessageBufferSize];
            Check("OpenReportV2", NativeMethods.OpenReportV2(Text("loginXml", loginXml), message), message);
        }

        // The text as zero-terminated GBK, or ArgumentException naming the
        // first character GBK lacks: the library never sees a changed text.
        public static byte[] Text(string argument, string text)
        {
            if (text == null)
                throw new ArgumentNullException(argument);
            byte[] bytes;
            try
            {
                bytes = Gbk.GetBytes(text);
            }
            catch (EncoderFallbackException error)
            {
                throw Unmappable(argument, text, error.Index, error);
            }
            string back = Gbk.GetString(bytes);
            if (back != text)
            {
                int at = 0;
                while (at < back.Length && at < text.Length && back[at] == text[at])
                    at++;
                throw Unmappable(argument, text, at, null);
            }
            var terminated = new byte[bytes.Length + 1];
            Buffer.BlockCopy(bytes, 0, terminated, 0, bytes.Length);
            return terminated;
        }

        private static ArgumentException Unmappable(string argument, string text, int at, Exception inner)
        {
            at = Math.Min(at, text.Length - 1);
            string shown = char.IsSurrogatePair(text, at) ? text.Substring(at, 2) : text.Substring(at, 1);
            int character = shown.Length == 2 ? char.ConvertToUtf32(shown[0], shown[1]) : shown[0];
            return new ArgumentException(string.Format(CultureInfo.InvariantCulture,
                "{0}: '{1}' (U+{2:X4}) at {3} has no GBK form; VOKQM7 takes GBK text only",
                argument, shown, character, at), argument, inner);
        }

        private static void Check(string function, int result, byte[] message)
        {
            if (result == 0)
                return;
            int end = Array.IndexOf(message, (byte)0);
            if (end < 0)
                end = message.Length;
            var text = new byte[end];
            Buffer.BlockCopy(message, 0, text, 0, end);
            throw new Vokqm7Exception(function, result, Gbk.GetString(text), MessageOf(text));
        }

        // The library's message whose GBK bytes these are, or Unknown.
        public static Vokqm7Message MessageOf(byte[] gbk)
        {
            Vokqm7Message code;
            string hex = BitConverter.ToString(gbk).Replace("-", "");
            return Vokqm7MessageTable.ByGbkHex.TryGetValue(hex, out code) ? code : Vokqm7Message.Unknown;
        }
    }
}
