// Writes the national-tax filing of one period (GetReportDate).
//   Example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
using System;
using Vokqm7;

static class Example
{
    static int Main(string[] args)
    {
        if (args.Length != 5)
        {
            Console.Error.WriteLine("usage: Example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER");
            return 2;
        }
        Console.WriteLine("interface version " + Vokqm7Library.GetVersion());
        string login = Vokqm7Library.LoginXml(args[1], int.Parse(args[2]), int.Parse(args[3]), args[4]);
        try
        {
            Vokqm7Library.GetReportDate(login, args[0]);
        }
        catch (Vokqm7Exception error)
        {
            Console.WriteLine(error.Message);
            return 1;
        }
        Console.WriteLine("GetReportDate wrote " + args[0]);
        return 0;
    }
}
