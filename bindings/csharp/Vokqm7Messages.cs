// Made by cmake/binding_messages.py from request/messages.h; the build fails when it differs.
using System.Collections.Generic;

namespace Vokqm7
{
    // The library's messages by the numbers of docs/messages.md and `vokqm7 explain`;
    // Unknown for a text that is none of them.
    public enum Vokqm7Message
    {
        Unknown = 0,
        ParseFailed = 1,
        InstallMissing = 2,
        TemplateMissing = 3,
        TemplateCopyFailed = 4,
        IncomeTemplateCopyFailed = 5,
        BalanceTemplateCopyFailed = 6,
        SingleLaunchFailed = 7,
        SingleNoOutput = 8,
        NoDataFilePath = 9,
        DataFileCopyFailed = 10,
        IncomeLaunchFailed = 11,
        IncomeTimedOut = 12,
        IncomeNoOutput = 13,
        IncomeKeepFailed = 14,
        BalanceLaunchFailed = 15,
        BalanceTimedOut = 16,
        BalanceNoOutput = 17,
        BalanceKeepFailed = 18,
        ByTypeLaunchFailed = 19,
        ByTypeTimedOut = 20,
        ByTypeNoOutput = 21,
        ByTypeKeepFailed = 22,
        UnsupportedReportType = 23,
        OutputWriteFailed = 24,
        BalanceExportUnreadable = 25,
        IncomeExportUnreadable = 26,
        InstallInUse = 27,
        CallerTextNotGbk = 28,
    }

    internal static class Vokqm7MessageTable
    {
        // Each message's GBK bytes, in hex.
        internal static readonly Dictionary<string, Vokqm7Message> ByGbkHex = new Dictionary<string, Vokqm7Message>
        {
            { "B7D6CEF6CAE4C8EBB2CECAFDB4EDCEF321", Vokqm7Message.ParseFailed },
            { "B0B2D7B0B3CCD0F2D0C5CFA2B2BBD5FDC8B7A3ACC7EBD6D8D0C2B0B2D7B0B3CCD0F221", Vokqm7Message.InstallMissing },
            { "C7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21", Vokqm7Message.TemplateMissing },
            { "B8B4D6C6C4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21", Vokqm7Message.TemplateCopyFailed },
            { "B8B4D6C6CBF0D2E6B1EDC4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21", Vokqm7Message.IncomeTemplateCopyFailed },
            { "B8B4D6C6D7CAB2FAB8BAD5AEB1EDC4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21", Vokqm7Message.BalanceTemplateCopyFailed },
            { "B5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21", Vokqm7Message.SingleLaunchFailed },
            { "BDD3BFDAB3CCD0F2CEDECAE4B3F6CEC4BCFE21", Vokqm7Message.SingleNoOutput },
            { "C3BBD3D0D6B8B6A8C9FAB3C9B5C4CAFDBEDDCEC4BCFEC2B7BEB621", Vokqm7Message.NoDataFilePath },
            { "C7EBBCECB2E9D6B8B6A8CEC4BCFEC3FBB3C6CAC7B7F1D5FDC8B721", Vokqm7Message.DataFileCopyFailed },
            { "D4DAC9FAB3C9CBF0D2E6CAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21", Vokqm7Message.IncomeLaunchFailed },
            { "D4DAC9FAB3C9CBF0D2E6CAFDBEDDCAB12CB2D9D7F7B3ACCAB121", Vokqm7Message.IncomeTimedOut },
            { "BDD3BFDAB3CCD0F2CEDECBF0D2E6B1EDCAFDBEDDCEC4BCFECAE4B3F621", Vokqm7Message.IncomeNoOutput },
            { "B8B4D6C6CBF0D2E6B1EDCAFDBEDDCEC4BCFEB3F6B4ED21", Vokqm7Message.IncomeKeepFailed },
            { "D4DAC9FAB3C9D7CAB2FAB8BAD5AECAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21", Vokqm7Message.BalanceLaunchFailed },
            { "D4DAC9FAB3C9D7CAB2FAB8BAD5AECAFDBEDDCAB12CB2D9D7F7B3ACCAB121", Vokqm7Message.BalanceTimedOut },
            { "BDD3BFDAB3CCD0F2CEDED7CAB2FAB8BAD5AEB1EDCEC4BCFECAE4B3F621", Vokqm7Message.BalanceNoOutput },
            { "B8B4D6C6D7CAB2FAB8BAD5AEB1EDCAFDBEDDCEC4BCFEB3F6B4ED21", Vokqm7Message.BalanceKeepFailed },
            { "D4DAC9FAB3C9CAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21", Vokqm7Message.ByTypeLaunchFailed },
            { "D4DAC9FAB3C9CAFDBEDDCAB12CB2D9D7F7B3ACCAB121", Vokqm7Message.ByTypeTimedOut },
            { "BDD3BFDAB3CCD0F2CAFDBEDDCEC4BCFECAE4B3F621", Vokqm7Message.ByTypeNoOutput },
            { "B8B4D6C6CAFDBEDDCEC4BCFEB3F6B4ED21", Vokqm7Message.ByTypeKeepFailed },
            { "B2BBD6A7B3D6B5C4B1A8B1EDC0E0D0CD21", Vokqm7Message.UnsupportedReportType },
            { "C9FAB3C9D7EED6D5CAFDBEDDCEC4BCFEB4EDCEF32CC7EBBCECB2E9B5BCB3F6CEC4BCFEC3FBB3C6CAC7B7F1BACFB7A821", Vokqm7Message.OutputWriteFailed },
            { "B7D6CEF6D7CAB2FAB8BAD5AEB1EDCAFDBEDDCEC4BCFEB4EDCEF321", Vokqm7Message.BalanceExportUnreadable },
            { "B7D6CEF6CBF0D2E6B1EDCAFDBEDDCEC4BCFEB4EDCEF321", Vokqm7Message.IncomeExportUnreadable },
            { "B2C6CEF1C8EDBCFEB0B2D7B0C4BFC2BCD5FDB1BBC1EDD2BBB8F6B1A8B1EDB5F7D3C3CAB9D3C32CC7EBC9D4BAF3D4D9CAD421", Vokqm7Message.InstallInUse },
            { "CFB5CDB3B4FAC2EBD2B3B2BBCAC73933362847424B292CCEDEB7A8B4A6C0EDD6D0CEC4B2CECAFD21", Vokqm7Message.CallerTextNotGbk },
        };
    }
}
