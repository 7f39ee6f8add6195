{ Writes the national-tax filing of one period (GetReportDate), one
  statement from a template (GetReportV2), or opens the interactive report
  tool logged in (OpenReportV2):
    example OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
    example --statement ZCFZB|SYB TEMPLATE.rep OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
    example --open USER PASSWORD LOGIN_DATE TEMPLATE.rep ACCOUNT YEAR PERIOD SERVER }
program example;

{$ifdef FPC}{$mode delphi}{$endif}
{$H+}

uses
{$ifdef UNIX}
  cwstring, { code page conversions through iconv }
{$endif}
  SysUtils, vokqm7;

var
  Mode: string;
  Options, At: Integer;

function Arg(I: Integer): UnicodeString;
begin
  Result := UnicodeString(ParamStr(I));
end;

begin
  Mode := '';
  if (ParamCount > 0) and (Copy(ParamStr(1), 1, 2) = '--') then
    Mode := ParamStr(1);
  if Mode = '--statement' then Options := 3
  else if Mode = '--open' then Options := 5
  else if Mode = '' then Options := 0
  else Options := -1;
  At := Options + 2;
  if Mode = '--open' then
    Dec(At);
  if (Options < 0) or (ParamCount <> At + 3) then
  begin
    WriteLn(ErrOutput, 'usage: example [--statement TYPE TEMPLATE | --open USER PASSWORD LOGIN_DATE ',
      'TEMPLATE] [OUTPUT.xml] ACCOUNT YEAR PERIOD SERVER');
    Halt(2);
  end;
  WriteLn('interface version ', GetVersionQM7);
  try
    if Mode = '--open' then
    begin
      OpenReport(OpenLoginXml(Arg(At), StrToInt(ParamStr(At + 1)), StrToInt(ParamStr(At + 2)),
        Arg(At + 3), Arg(2), Arg(3), Arg(4), Arg(5)));
      WriteLn('OpenReportV2 started the report tool');
    end
    else if Mode = '--statement' then
    begin
      WriteReportV2(StatementLoginXml(Arg(At), StrToInt(ParamStr(At + 1)), StrToInt(ParamStr(At + 2)),
        Arg(At + 3), Arg(2), Arg(3)), Arg(At - 1));
      WriteLn('GetReportV2 wrote ', ParamStr(At - 1));
    end
    else
    begin
      WriteReportDate(LoginXml(Arg(At), StrToInt(ParamStr(At + 1)), StrToInt(ParamStr(At + 2)),
        Arg(At + 3)), Arg(At - 1));
      WriteLn('GetReportDate wrote ', ParamStr(At - 1));
    end;
  except
    on Error: EVokqm7 do
    begin
      WriteLn(Error.Message);
      Halt(1);
    end;
    on Error: EVokqm7Text do
    begin
      WriteLn(Error.Message);
      Halt(1);
    end;
  end;
end.
