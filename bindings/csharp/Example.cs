// Writes the national-tax filing of one period (GetReportDate), one
// statement from a template (GetReportV2), or opens the interactive report
// tool logged in (OpenReportV2):
//   Example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
//   Example --statement ZCFZB|SYB TEMPLATE.rep OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
//   Example --open USER PASSWORD LOGIN_DATE TEMPLATE.rep ACCOUNT YEAR PERIOD SERVER
using System;
using System.Linq;
using Vokqm7;

static class Example
{
    static int Main(string[] args)
    {
        string mode = args.Length > 0 && args[0].StartsWith("--") ? args[0] : "";
        int options = mode == "--statement" ? 3 : mode == "--open" ? 5 : mode == "" ? 0 : -1;
        if (options < 0 || args.Length != options + (mode == "--open" ? 4 : 5))
        {
            Console.Error.WriteLine("usage: Example [--statement TYPE TEMPLATE | --open USER PASSWORD LOGIN_DATE TEMPLATE] " +
                                    "[OUTPUT.xml] ACCOUNT YEAR PERIOD SERVER");
            return 2;
        }
        string[] values = args.Skip(options).ToArray();
        int at = mode == "--open" ? 0 : 1;
        var login = new Vokqm7Login
        {
            AccountCode = values[at], Year = int.Parse(values[at + 1]), Period = int.Parse(values[at + 2]),
            Server = values[at + 3]
        };
        Console.WriteLine("interface version " + Vokqm7Library.GetVersion());
        try
        {
            if (mode == "--open")
            {
                login.UserID = args[1];
                login.Password = args[2];
                login.LoginDate = args[3];
                login.FileRep = args[4];
                Vokqm7Library.OpenReportV2(login.ToXml());
                Console.WriteLine("OpenReportV2 started the report tool");
            }
            else if (mode == "--statement")
            {
                login.ReportType = args[1];
                login.FileRep = args[2];
                Vokqm7Library.GetReportV2(login.ToXml(), values[0]);
                Console.WriteLine("GetReportV2 wrote " + values[0]);
            }
            else
            {
                Vokqm7Library.GetReportDate(login.ToXml(), values[0]);
                Console.WriteLine("GetReportDate wrote " + values[0]);
            }
        }
        catch (Vokqm7Exception error)
        {
            Console.WriteLine(error.Message);
            return 1;
        }
        catch (ArgumentException error)
        {
            Console.WriteLine(error.Message);
            return 1;
        }
        return 0;
    }
}
