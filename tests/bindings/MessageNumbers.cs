// Each line of stdin, a message's GBK bytes in hex, as its number through the C# binding.
using System;
using Vokqm7;

static class MessageNumbers
{
    static void Main()
    {
        for (string line; (line = Console.ReadLine()) != null;)
        {
            var bytes = new byte[line.Length / 2];
            for (int i = 0; i < bytes.Length; i++)
                bytes[i] = Convert.ToByte(line.Substring(2 * i, 2), 16);
            Console.WriteLine((int)Vokqm7Library.MessageOf(bytes));
        }
    }
}
