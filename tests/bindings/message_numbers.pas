{ Each line of stdin, a message's GBK bytes in hex, as its number through the Pascal binding. }
program message_numbers;

{$mode delphi}{$H+}

uses SysUtils, vokqm7messages;

var
  Line: string;
  Bytes: RawByteString;
  I: Integer;
begin
  while not Eof(Input) do
  begin
    ReadLn(Line);
    Bytes := '';
    for I := 0 to Length(Line) div 2 - 1 do
      Bytes := Bytes + AnsiChar(StrToInt('$' + Copy(Line, 2 * I + 1, 2)));
    WriteLn(Ord(MessageOf(Bytes)));
  end;
end.
