{ VOKQM7 from Delphi and Free Pascal: the six exports, stdcall on Windows,
  and a small layer that passes GBK texts and raises the library's message. }
unit vokqm7;

{$ifdef FPC}{$mode delphi}{$endif}
{$H+}

interface

uses SysUtils, Math;

const
{$ifdef MSWINDOWS}
  Vokqm7Library = 'VOKQM7.dll';
{$else}
  Vokqm7Library = 'VOKQM7'; { libVOKQM7.so }
{$endif}
  { No size goes with the buffer; the longest message takes 52 bytes. }
  MessageBufferSize = 256;

type
  { Texts in code page 936, converted on assignment from other strings. }
  GbkString = type AnsiString(936);
  TMessageBuffer = array[0..MessageBufferSize - 1] of AnsiChar;

  EVokqm7 = class(Exception)
  public
    Code: Integer;
    LibraryMessage: UnicodeString;
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

{ The login text of a call, its values escaped. }
function LoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server: UnicodeString): GbkString;
{ Raises EVokqm7 with the message in Buffer when Code is not 0. }
procedure CheckResult(const FunctionName: string; Code: Integer; const Buffer: TMessageBuffer);
{ The calls, raising EVokqm7 on failure. Each masks the floating-point
  exceptions while the library runs, as C code expects them masked. }
procedure WriteReportDate(const Login, OutputPath: GbkString);
procedure WriteReportDateV2(const Login, OutputPath: GbkString);
procedure WriteReportV2(const Login, OutputPath: GbkString);
procedure WriteReport(const Login: GbkString; TrailingNumber: Integer;
  const TemplatePath, DataFilePath: GbkString);
procedure OpenReport(const Login: GbkString);

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

function LoginXml(const Account: UnicodeString; Year, Period: Integer;
  const Server: UnicodeString): GbkString;
begin
  Result := GbkString('<Info><LoginInfo><AccountCode>' + Escape(Account) + '</AccountCode><Year>' +
    UnicodeString(IntToStr(Year)) + '</Year><Period>' + UnicodeString(IntToStr(Period)) +
    '</Period><Server>' + Escape(Server) + '</Server></LoginInfo></Info>');
end;

procedure CheckResult(const FunctionName: string; Code: Integer; const Buffer: TMessageBuffer);
var
  Message: GbkString;
  Error: EVokqm7;
begin
  if Code = 0 then
    Exit;
  Message := GbkString(PAnsiChar(@Buffer[0]));
  Error := EVokqm7.CreateFmt('%s failed (%d): %s', [FunctionName, Code, string(UnicodeString(Message))]);
  Error.Code := Code;
  Error.LibraryMessage := UnicodeString(Message);
  raise Error;
end;

function MaskFloatingPoint: TFPUExceptionMask;
begin
  Result := SetExceptionMask([exInvalidOp, exDenormalized, exZeroDivide, exOverflow, exUnderflow,
    exPrecision]);
end;

procedure WriteFiling(Export: TFilingExport; const FunctionName: string;
  const Login, OutputPath: GbkString);
var
  Buffer: TMessageBuffer;
  Saved: TFPUExceptionMask;
  Code: Integer;
begin
  Saved := MaskFloatingPoint;
  try
    Code := Export(PAnsiChar(Login), PAnsiChar(OutputPath), @Buffer[0]);
  finally
    SetExceptionMask(Saved);
  end;
  CheckResult(FunctionName, Code, Buffer);
end;

procedure WriteReportDate(const Login, OutputPath: GbkString);
begin
  WriteFiling(GetReportDate, 'GetReportDate', Login, OutputPath);
end;

procedure WriteReportDateV2(const Login, OutputPath: GbkString);
begin
  WriteFiling(GetReportDateV2, 'GetReportDateV2', Login, OutputPath);
end;

procedure WriteReportV2(const Login, OutputPath: GbkString);
begin
  WriteFiling(GetReportV2, 'GetReportV2', Login, OutputPath);
end;

procedure WriteReport(const Login: GbkString; TrailingNumber: Integer;
  const TemplatePath, DataFilePath: GbkString);
var
  Buffer: TMessageBuffer;
  Saved: TFPUExceptionMask;
  Code: Integer;
begin
  Saved := MaskFloatingPoint;
  try
    Code := GetReport(PAnsiChar(Login), TrailingNumber, PAnsiChar(TemplatePath),
      PAnsiChar(DataFilePath), @Buffer[0]);
  finally
    SetExceptionMask(Saved);
  end;
  CheckResult('GetReport', Code, Buffer);
end;

procedure OpenReport(const Login: GbkString);
var
  Buffer: TMessageBuffer;
  Saved: TFPUExceptionMask;
  Code: Integer;
begin
  Saved := MaskFloatingPoint;
  try
    Code := OpenReportV2(PAnsiChar(Login), @Buffer[0]);
  finally
    SetExceptionMask(Saved);
  end;
  CheckResult('OpenReportV2', Code, Buffer);
end;

end.
