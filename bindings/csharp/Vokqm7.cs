// VOKQM7 from C#: the six exports as P/Invoke declarations, and a small
// class that passes GBK bytes and throws the library's message.
using System;
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

    public class Vokqm7Exception : Exception
    {
        public Vokqm7Exception(string function, int result, string libraryMessage)
            : base(function + " failed (" + result + "): " + libraryMessage)
        {
            Function = function;
            Result = result;
            LibraryMessage = libraryMessage;
        }

        public string Function { get; private set; }
        public int Result { get; private set; }
        public string LibraryMessage { get; private set; }
    }

    public static class Vokqm7Library
    {
        // No size goes with the buffer; the longest message takes 52 bytes.
        private const int MessageBufferSize = 256;

        public static readonly Encoding Gbk = GbkEncoding();

        private static Encoding GbkEncoding()
        {
#if NETCOREAPP
            // .NET Core and later know code page 936 only through this provider.
            Encoding.RegisterProvider(CodePagesEncodingProvider.Instance);
#endif
            return Encoding.GetEncoding(936);
        }

        // The login text of a call, its values escaped.
        public static string LoginXml(string account, int year, int period, string server)
        {
            return "<Info><LoginInfo><AccountCode>" + SecurityElement.Escape(account) +
                   "</AccountCode><Year>" + year + "</Year><Period>" + period +
                   "</Period><Server>" + SecurityElement.Escape(server) + "</Server></LoginInfo></Info>";
        }

        public static int GetVersion()
        {
            return NativeMethods.GetVersionQM7();
        }

        public static void GetReportDate(string loginXml, string outputPath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReportDate", NativeMethods.GetReportDate(Text(loginXml), Text(outputPath), message), message);
        }

        public static void GetReportDateV2(string loginXml, string outputPath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReportDateV2", NativeMethods.GetReportDateV2(Text(loginXml), Text(outputPath), message),
                  message);
        }

        public static void GetReportV2(string loginXml, string outputPath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReportV2", NativeMethods.GetReportV2(Text(loginXml), Text(outputPath), message), message);
        }

        public static void GetReport(string loginXml, int trailingNumber, string templatePath, string dataFilePath)
        {
            var message = new byte[MessageBufferSize];
            Check("GetReport", NativeMethods.GetReport(Text(loginXml), trailingNumber, Text(templatePath),
                                                       Text(dataFilePath), message), message);
        }

        public static void OpenReportV2(string loginXml)
        {
            var message = new byte[MessageBufferSize];
            Check("OpenReportV2", NativeMethods.OpenReportV2(Text(loginXml), message), message);
        }

        private static byte[] Text(string text)
        {
            return Gbk.GetBytes(text + "\0");
        }

        private static void Check(string function, int result, byte[] message)
        {
            if (result == 0)
                return;
            int end = Array.IndexOf(message, (byte)0);
            throw new Vokqm7Exception(function, result, Gbk.GetString(message, 0, end < 0 ? message.Length : end));
        }
    }
}
