{ Writes the national-tax filing of one period (GetReportDate).
    example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER }
program example;

{$ifdef FPC}{$mode delphi}{$endif}
{$H+}

uses
{$ifdef UNIX}
  cwstring, { code page conversions through iconv }
{$endif}
  SysUtils, vokqm7;

begin
  if ParamCount <> 5 then
  begin
    WriteLn(ErrOutput, 'usage: example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER');
    Halt(2);
  end;
  WriteLn('interface version ', GetVersionQM7);
  try
    WriteReportDate(LoginXml(UnicodeString(ParamStr(2)), StrToInt(ParamStr(3)), StrToInt(ParamStr(4)),
      UnicodeString(ParamStr(5))), GbkString(ParamStr(1)));
  except
    on Error: EVokqm7 do
    begin
      WriteLn(Error.Message);
      Halt(1);
    end;
  end;
  WriteLn('GetReportDate wrote ', ParamStr(1));
end.
