{ Made by cmake/binding_messages.py from request/messages.h; the build fails when it differs. }
unit vokqm7messages;

{$ifdef FPC}{$mode delphi}{$endif}
{$H+}

interface

type
  { The library's messages by the numbers of docs/messages.md and vokqm7 explain;
    vmUnknown for a text that is none of them. }
  TVokqm7Message = (vmUnknown = 0,
    vmParseFailed = 1,
    vmInstallMissing = 2,
    vmTemplateMissing = 3,
    vmTemplateCopyFailed = 4,
    vmIncomeTemplateCopyFailed = 5,
    vmBalanceTemplateCopyFailed = 6,
    vmSingleLaunchFailed = 7,
    vmSingleNoOutput = 8,
    vmNoDataFilePath = 9,
    vmDataFileCopyFailed = 10,
    vmIncomeLaunchFailed = 11,
    vmIncomeTimedOut = 12,
    vmIncomeNoOutput = 13,
    vmIncomeKeepFailed = 14,
    vmBalanceLaunchFailed = 15,
    vmBalanceTimedOut = 16,
    vmBalanceNoOutput = 17,
    vmBalanceKeepFailed = 18,
    vmByTypeLaunchFailed = 19,
    vmByTypeTimedOut = 20,
    vmByTypeNoOutput = 21,
    vmByTypeKeepFailed = 22,
    vmUnsupportedReportType = 23,
    vmOutputWriteFailed = 24,
    vmBalanceExportUnreadable = 25,
    vmIncomeExportUnreadable = 26,
    vmInstallInUse = 27,
    vmCallerTextNotGbk = 28);

{ The message whose GBK bytes these are, or vmUnknown. }
function MessageOf(const Gbk: RawByteString): TVokqm7Message;

implementation

uses SysUtils;

const
  GbkHex: array[1..28] of string = (
    'B7D6CEF6CAE4C8EBB2CECAFDB4EDCEF321',  { 1 ParseFailed }
    'B0B2D7B0B3CCD0F2D0C5CFA2B2BBD5FDC8B7A3ACC7EBD6D8D0C2B0B2D7B0B3CCD0F221',  { 2 InstallMissing }
    'C7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21',  { 3 TemplateMissing }
    'B8B4D6C6C4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21',  { 4 TemplateCopyFailed }
    'B8B4D6C6CBF0D2E6B1EDC4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21',  { 5 IncomeTemplateCopyFailed }
    'B8B4D6C6D7CAB2FAB8BAD5AEB1EDC4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21',  { 6 BalanceTemplateCopyFailed }
    'B5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21',  { 7 SingleLaunchFailed }
    'BDD3BFDAB3CCD0F2CEDECAE4B3F6CEC4BCFE21',  { 8 SingleNoOutput }
    'C3BBD3D0D6B8B6A8C9FAB3C9B5C4CAFDBEDDCEC4BCFEC2B7BEB621',  { 9 NoDataFilePath }
    'C7EBBCECB2E9D6B8B6A8CEC4BCFEC3FBB3C6CAC7B7F1D5FDC8B721',  { 10 DataFileCopyFailed }
    'D4DAC9FAB3C9CBF0D2E6CAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21',  { 11 IncomeLaunchFailed }
    'D4DAC9FAB3C9CBF0D2E6CAFDBEDDCAB12CB2D9D7F7B3ACCAB121',  { 12 IncomeTimedOut }
    'BDD3BFDAB3CCD0F2CEDECBF0D2E6B1EDCAFDBEDDCEC4BCFECAE4B3F621',  { 13 IncomeNoOutput }
    'B8B4D6C6CBF0D2E6B1EDCAFDBEDDCEC4BCFEB3F6B4ED21',  { 14 IncomeKeepFailed }
    'D4DAC9FAB3C9D7CAB2FAB8BAD5AECAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21',  { 15 BalanceLaunchFailed }
    'D4DAC9FAB3C9D7CAB2FAB8BAD5AECAFDBEDDCAB12CB2D9D7F7B3ACCAB121',  { 16 BalanceTimedOut }
    'BDD3BFDAB3CCD0F2CEDED7CAB2FAB8BAD5AEB1EDCEC4BCFECAE4B3F621',  { 17 BalanceNoOutput }
    'B8B4D6C6D7CAB2FAB8BAD5AEB1EDCAFDBEDDCEC4BCFEB3F6B4ED21',  { 18 BalanceKeepFailed }
    'D4DAC9FAB3C9CAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21',  { 19 ByTypeLaunchFailed }
    'D4DAC9FAB3C9CAFDBEDDCAB12CB2D9D7F7B3ACCAB121',  { 20 ByTypeTimedOut }
    'BDD3BFDAB3CCD0F2CAFDBEDDCEC4BCFECAE4B3F621',  { 21 ByTypeNoOutput }
    'B8B4D6C6CAFDBEDDCEC4BCFEB3F6B4ED21',  { 22 ByTypeKeepFailed }
    'B2BBD6A7B3D6B5C4B1A8B1EDC0E0D0CD21',  { 23 UnsupportedReportType }
    'C9FAB3C9D7EED6D5CAFDBEDDCEC4BCFEB4EDCEF32CC7EBBCECB2E9B5BCB3F6CEC4BCFEC3FBB3C6CAC7B7F1BACFB7A821',  { 24 OutputWriteFailed }
    'B7D6CEF6D7CAB2FAB8BAD5AEB1EDCAFDBEDDCEC4BCFEB4EDCEF321',  { 25 BalanceExportUnreadable }
    'B7D6CEF6CBF0D2E6B1EDCAFDBEDDCEC4BCFEB4EDCEF321',  { 26 IncomeExportUnreadable }
    'B2C6CEF1C8EDBCFEB0B2D7B0C4BFC2BCD5FDB1BBC1EDD2BBB8F6B1A8B1EDB5F7D3C3CAB9D3C32CC7EBC9D4BAF3D4D9CAD421',  { 27 InstallInUse }
    'CFB5CDB3B4FAC2EBD2B3B2BBCAC73933362847424B292CCEDEB7A8B4A6C0EDD6D0CEC4B2CECAFD21');  { 28 CallerTextNotGbk }

function MessageOf(const Gbk: RawByteString): TVokqm7Message;
var
  Hex: string;
  I: Integer;
begin
  Hex := '';
  for I := 1 to Length(Gbk) do
    Hex := Hex + IntToHex(Ord(Gbk[I]), 2);
  for I := Low(GbkHex) to High(GbkHex) do
    if GbkHex[I] = Hex then
      Exit(TVokqm7Message(I));
  Result := vmUnknown;
end;

end.
