{ VOKQM7 from Delphi and Free Pascal: the six exports, stdcall on Windows,
  and a small layer that passes GBK texts, refuses a text GBK cannot hold,
  and raises the library's message with its number. }
unit vokqm7;

{$ifdef FPC}{$mode delphi}{$endif}
{$H+}
{$ifndef FPC}
  {$if CompilerVersion < 20.0}
    {$message fatal 'vokqm7.pas needs Delphi 2009 or later: it converts texts through AnsiString(936)'}
  {$ifend}
{$endif}

interface

uses SysUtils, Math, vokqm7messages;

const
{$ifdef MSWINDOWS}
  Vokqm7Library = 'VOKQM7.dll';
{$else}
  Vokqm7Library = 'VOKQM7'; { libVOKQM7.so }
{$endif}
  { No size goes with the buffer; the longest message takes 52 bytes. }
  MessageBufferSize = 256;

type
  { Texts in code page 936. }
  GbkString = type AnsiString(936);
  TMessageBuffer = array[0..MessageBufferSize - 1] of AnsiChar;

  { A failed call: its negative result, the library's message and the
    message's number in docs/messages.md (vokqm7 explain N). }
  EVokqm7 = class(Exception)
  private
    FFunctionName: string;
    FCallResult: Integer;
    FCode: TVokqm7Message;
    FLibraryMessage: UnicodeString;
  public
    constructor CreateFromBuffer(const FunctionName: string; CallResult: Integer;
      const Buffer: TMessageBuffer);
    property FunctionName: string read FFunctionName;
    property CallResult: Integer read FCallResult;
    property Code: TVokqm7Message read FCode;
    property LibraryMessage: UnicodeString read FLibraryMessage;
  end;

  { A text holding a character GBK lacks: the library was not called. }
  EVokqm7Text = class(Exception)
  private
    FArgument: string;
    FCharacter: UnicodeString;
    FPosition: Integer;
  public
    property Argument: string read FArgument;
    property Character: UnicodeString read FCharacter;
    property Position: Integer read FPosition;
  end;

{$ifdef MSWINDOWS}
type
  { The three exports that write a filing document. }
  TFilingExport = function(LoginXml, OutputPath, MessageBuffer: PAnsiChar): Integer; stdcall;

function GetVersionQM7: Integer; stdcall; external Vokqm7Library name 'GetVersionQM7';
function GetReportDate(LoginXml, OutputPath: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  stdcall; external Vokqm7Library name 'GetReportDate';
function GetReport(LoginXml: PAnsiChar; TrailingNumber: Integer; TemplatePath, DataFilePath: PAnsiChar;
  MessageBuffer: PAnsiChar): Integer; stdcall; external Vokqm7Library name 'GetReport';
function GetReportV2(LoginXml, OutputPath: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  stdcall; external Vokqm7Library name 'GetReportV2';
function OpenReportV2(LoginXml: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  stdcall; external Vokqm7Library name 'OpenReportV2';
function GetReportDateV2(LoginXml, OutputPath: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  stdcall; external Vokqm7Library name 'GetReportDateV2';
{$else}
{ The Linux library has the platform's own calling convention. }
type
  TFilingExport = function(LoginXml, OutputPath, MessageBuffer: PAnsiChar): Integer; cdecl;

function GetVersionQM7: Integer; cdecl; external Vokqm7Library name 'GetVersionQM7';
function GetReportDate(LoginXml, OutputPath: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  cdecl; external Vokqm7Library name 'GetReportDate';
function GetReport(LoginXml: PAnsiChar; TrailingNumber: Integer; TemplatePath, DataFilePath: PAnsiChar;
  MessageBuffer: PAnsiChar): Integer; cdecl; external Vokqm7Library name 'GetReport';
function GetReportV2(LoginXml, OutputPath: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  cdecl; external Vokqm7Library name 'GetReportV2';
function OpenReportV2(LoginXml: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  cdecl; external Vokqm7Library name 'OpenReportV2';
function GetReportDateV2(LoginXml, OutputPath: PAnsiChar; MessageBuffer: PAnsiChar): Integer;
  cdecl; external Vokqm7Library name 'GetReportDateV2';
{$endif}

{ The login texts, values escaped: for GetReportDate, GetReportDateV2 and
  GetReport; for GetReportV2 (ReportType 'ZCFZB' or 'SYB', FileRep the
  template); for OpenReportV2. Together they hold every field the library
  reads. }
function LoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server: UnicodeString): UnicodeString;
function StatementLoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server, ReportType, FileRep: UnicodeString): UnicodeString;
function OpenLoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server, UserID, Password, LoginDate, FileRep: UnicodeString): UnicodeString;
{ Text as GBK bytes, or EVokqm7Text naming the first character GBK lacks. }
function ToGbk(const Argument: string; const Text: UnicodeString): RawByteString;
{ Raises EVokqm7 with the message in Buffer when Code is not 0. }
procedure CheckResult(const FunctionName: string; Code: Integer; const Buffer: TMessageBuffer);
{ The calls, raising EVokqm7 on failure and EVokqm7Text before it. Each
  masks the floating-point exceptions while the library runs, as C code
  expects them masked. }
procedure WriteReportDate(const Login, OutputPath: UnicodeString);
procedure WriteReportDateV2(const Login, OutputPath: UnicodeString);
procedure WriteReportV2(const Login, OutputPath: UnicodeString);
procedure WriteReport(const Login: UnicodeString; TrailingNumber: Integer;
  const TemplatePath, DataFilePath: UnicodeString);
procedure OpenReport(const Login: UnicodeString);

implementation

function Escape(const Value: UnicodeString): UnicodeString;
var
  I: Integer;
begin
  Result := '';
  for I := 1 to Length(Value) do
    case Value[I] of
      '&': Result := Result + '&amp;';
      '<': Result := Result + '&lt;';
      '>': Result := Result + '&gt;';
      '''': Result := Result + '&apos;';
      '"': Result := Result + '&quot;';
    else
      Result := Result + Value[I];
    end;
end;

function Field(const Element, Value: UnicodeString): UnicodeString;
begin
  Result := '<' + Element + '>' + Escape(Value) + '</' + Element + '>';
end;

function Fields(const Account: UnicodeString; Year, Period: Integer;
  const Server: UnicodeString): UnicodeString;
begin
  Result := Field('AccountCode', Account) + Field('Year', UnicodeString(IntToStr(Year))) +
    Field('Period', UnicodeString(IntToStr(Period))) + Field('Server', Server);
end;

function LoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server: UnicodeString): UnicodeString;
begin
  Result := '<Info><LoginInfo>' + Fields(Account, Year, Period, Server) + '</LoginInfo></Info>';
end;

function StatementLoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server, ReportType, FileRep: UnicodeString): UnicodeString;
begin
  Result := '<Info><LoginInfo>' + Fields(Account, Year, Period, Server) +
    Field('ReportType', ReportType) + Field('FileRep', FileRep) + '</LoginInfo></Info>';
end;

function OpenLoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server, UserID, Password, LoginDate, FileRep: UnicodeString): UnicodeString;
begin
  Result := '<Info><LoginInfo>' + Fields(Account, Year, Period, Server) + Field('UserID', UserID) +
    Field('Password', Password) + Field('LoginDate', LoginDate) + Field('FileRep', FileRep) +
    '</LoginInfo></Info>';
end;

function Survives(const Text: UnicodeString): Boolean;
var
  Bytes: GbkString;
begin
  Bytes := GbkString(Text);
  Result := UnicodeString(Bytes) = Text;
end;

function ToGbk(const Argument: string; const Text: UnicodeString): RawByteString;
var
  Bytes: GbkString;
  I, Size, CodePoint: Integer;
  Error: EVokqm7Text;
begin
  { A conversion writes "?" or a look-alike for what it cannot convert; only
    a text that comes back whole went over unchanged. }
  Bytes := GbkString(Text);
  Result := RawByteString(Bytes);
  if UnicodeString(Bytes) = Text then
    Exit;
  I := 1;
  Size := 1;
  while I <= Length(Text) do
  begin
    Size := 1;
    if (Ord(Text[I]) >= $D800) and (Ord(Text[I]) <= $DBFF) and (I < Length(Text)) then
      Size := 2;
    if not Survives(Copy(Text, I, Size)) then
      Break;
    Inc(I, Size);
  end;
  if Size = 2 then
    CodePoint := (Ord(Text[I]) - $D800) shl 10 + (Ord(Text[I + 1]) - $DC00) + $10000
  else
    CodePoint := Ord(Text[I]);
  Error := EVokqm7Text.CreateFmt('%s: ''%s'' (U+%.4x) at %d has no GBK form; VOKQM7 takes GBK text only',
    [Argument, string(Copy(Text, I, Size)), CodePoint, I]);
  Error.FArgument := Argument;
  Error.FCharacter := Copy(Text, I, Size);
  Error.FPosition := I;
  raise Error;
end;

constructor EVokqm7.CreateFromBuffer(const FunctionName: string; CallResult: Integer;
  const Buffer: TMessageBuffer);
var
  Bytes: RawByteString;
begin
  SetString(Bytes, PAnsiChar(@Buffer[0]), StrLen(PAnsiChar(@Buffer[0])));
  { The message is GBK whatever the system's code page is. }
  SetCodePage(Bytes, 936, False);
  FFunctionName := FunctionName;
  FCallResult := CallResult;
  FCode := MessageOf(Bytes);
  FLibraryMessage := UnicodeString(Bytes);
  inherited CreateFmt('%s failed (%d, message %d): %s',
    [FunctionName, CallResult, Ord(FCode), string(FLibraryMessage)]);
end;

procedure CheckResult(const FunctionName: string; Code: Integer; const Buffer: TMessageBuffer);
begin
  if Code <> 0 then
    raise EVokqm7.CreateFromBuffer(FunctionName, Code, Buffer);
end;

function MaskFloatingPoint: TFPUExceptionMask;
begin
  Result := SetExceptionMask([exInvalidOp, exDenormalized, exZeroDivide, exOverflow, exUnderflow,
    exPrecision]);
end;

procedure WriteFiling(Export: TFilingExport; const FunctionName: string;
  const Login, OutputPath: UnicodeString);
var
  Buffer: TMessageBuffer;
  Saved: TFPUExceptionMask;
  Code: Integer;
  LoginBytes, PathBytes: RawByteString;
begin
  LoginBytes := ToGbk('Login', Login);
  PathBytes := ToGbk('OutputPath', OutputPath);
  Saved := MaskFloatingPoint;
  try
    Code := Export(PAnsiChar(LoginBytes), PAnsiChar(PathBytes), @Buffer[0]);
  finally
    SetExceptionMask(Saved);
  end;
  CheckResult(FunctionName, Code, Buffer);
end;

procedure WriteReportDate(const Login, OutputPath: UnicodeString);
begin
  WriteFiling(GetReportDate, 'GetReportDate', Login, OutputPath);
end;

procedure WriteReportDateV2(const Login, OutputPath: UnicodeString);
begin
  WriteFiling(GetReportDateV2, 'GetReportDateV2', Login, OutputPath);
end;

procedure WriteReportV2(const Login, OutputPath: UnicodeString);
begin
  WriteFiling(GetReportV2, 'GetReportV2', Login, OutputPath);
end;

procedure WriteReport(const Login: UnicodeString; TrailingNumber: Integer;
  const TemplatePath, DataFilePath: UnicodeString);
var
  Buffer: TMessageBuffer;
  Saved: TFPUExceptionMask;
  Code: Integer;
  LoginBytes, TemplateBytes, DataBytes: RawByteString;
begin
  LoginBytes := ToGbk('Login', Login);
  TemplateBytes := ToGbk('TemplatePath', TemplatePath);
  DataBytes := ToGbk('DataFilePath', DataFilePath);
  Saved := MaskFloatingPoint;
  try
    Code := GetReport(PAnsiChar(LoginBytes), TrailingNumber, PAnsiChar(TemplateBytes),
      PAnsiChar(DataBytes), @Buffer[0]);
  finally
    SetExceptionMask(Saved);
  end;
  CheckResult('GetReport', Code, Buffer);
end;

procedure OpenReport(const Login: UnicodeString);
var
  Buffer: TMessageBuffer;
  Saved: TFPUExceptionMask;
  Code: Integer;
  LoginBytes: RawByteString;
begin
  LoginBytes := ToGbk('Login', Login);
  Saved := MaskFloatingPoint;
  try
    Code := OpenReportV2(PAnsiChar(LoginBytes), @Buffer[0]);
  finally
    SetExceptionMask(Saved);
  end;
  CheckResult('OpenReportV2', Code, Buffer);
end;

end.
