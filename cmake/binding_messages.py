"""The language bindings' tables of the library's messages, made from the
library's own catalogue (request/messages.h): each message's number is its
place there, which is the number docs/messages.md and `vokqm7 explain` give
it, and the bindings find it by the message's GBK bytes.

    binding_messages.py SOURCE_DIR OUTPUT_DIR      writes the tables
    binding_messages.py SOURCE_DIR --check         fails unless bindings/
                                                   holds exactly them

Fails when a constant's bytes are not the GBK of the text its comment
gives, or when the guide numbers or words a message otherwise."""
import os
import re
import sys

# Each binding's table: its path under bindings/, its writer, its line end.
TABLES = {}


def table(path, line_end="\n"):
    def register(writer):
        TABLES[path] = (writer, line_end)
        return writer
    return register


def c_string_bytes(literals):
    """The bytes of adjacent C string literals, escapes as a C compiler
    reads them (a \\x escape takes every hex digit after it)."""
    out = bytearray()
    for literal in re.findall(r'"((?:[^"\\]|\\.)*)"', literals):
        i = 0
        while i < len(literal):
            if literal.startswith("\\x", i):
                digits = re.match(r"[0-9A-Fa-f]+", literal[i + 2:]).group(0)
                value = int(digits, 16)
                if value > 0xFF:
                    raise ValueError("escape \\x%s is more than one byte" % digits)
                out.append(value)
                i += 2 + len(digits)
            elif literal[i] == "\\":
                out += {"n": b"\n", "t": b"\t", '"': b'"', "\\": b"\\"}[literal[i + 1]]
                i += 2
            else:
                out += literal[i].encode("ascii")
                i += 1
    return bytes(out)


def catalogue(source):
    """[(number, name, text, gbk bytes)] in the header's order."""
    with open(os.path.join(source, "request/messages.h"), encoding="utf-8") as file:
        header = file.read()
    messages = []
    pattern = r"// (?P<text>[^\n]*)\ninline constexpr char k(?P<name>\w+)\[\] =\s*(?P<literals>(?:\"[^\n]*\"\s*)+);"
    for match in re.finditer(pattern, header):
        gbk = c_string_bytes(match.group("literals"))
        text = match.group("text").strip()
        if gbk.decode("gbk") != text:
            raise SystemExit("request/messages.h: k%s is not the GBK of '%s'" % (match.group("name"), text))
        messages.append((len(messages) + 1, match.group("name"), text, gbk))
    with open(os.path.join(source, "docs/messages.md"), encoding="utf-8") as file:
        guide = re.findall(r"^## (\d+)\. (.*)$", file.read(), re.M)
    if [(int(n), t.strip()) for n, t in guide] != [(n, t) for n, _, t, _ in messages]:
        raise SystemExit("docs/messages.md does not number the messages of request/messages.h in "
                         "their order, with their words")
    if len(messages) < 28:
        raise SystemExit("read only %d messages from request/messages.h" % len(messages))
    return messages


def snake(name):
    return re.sub(r"(?<=[a-z0-9])(?=[A-Z])", "_", name).upper()


HEAD = "Made by cmake/binding_messages.py from request/messages.h; the build fails when it differs."


@table("csharp/Vokqm7Messages.cs")
def csharp(messages):
    lines = ["// " + HEAD, "using System.Collections.Generic;", "", "namespace Vokqm7", "{",
             "    // The library's messages by the numbers of docs/messages.md and `vokqm7 explain`;",
             "    // Unknown for a text that is none of them.",
             "    public enum Vokqm7Message", "    {", "        Unknown = 0,"]
    lines += ["        %s = %d," % (name, number) for number, name, _, _ in messages]
    lines += ["    }", "", "    internal static class Vokqm7MessageTable", "    {",
              "        // Each message's GBK bytes, in hex.",
              "        internal static readonly Dictionary<string, Vokqm7Message> ByGbkHex ="
              " new Dictionary<string, Vokqm7Message>",
              "        {"]
    lines += ['            { "%s", Vokqm7Message.%s },' % (gbk.hex().upper(), name)
              for _, name, _, gbk in messages]
    lines += ["        };", "    }", "}"]
    return lines


@table("java/Vokqm7Message.java")
def java(messages):
    lines = ["// " + HEAD, "package vokqm7;", "",
             "/** The library's messages by the numbers of docs/messages.md and {@code vokqm7 explain}. */",
             "public enum Vokqm7Message {", "  /** A text that is none of the library's messages. */",
             '  UNKNOWN(0, ""),']
    lines += ['  %s(%d, "%s")%s' % (snake(name), number, gbk.hex().upper(),
                                     "," if number < len(messages) else ";")
              for number, name, _, gbk in messages]
    lines += ["", "  private final int number;", "  private final String gbkHex;", "",
              "  Vokqm7Message(int number, String gbkHex) {", "    this.number = number;",
              "    this.gbkHex = gbkHex;", "  }", "",
              "  /** The message's number in docs/messages.md; 0 for UNKNOWN. */",
              "  public int number() {", "    return number;", "  }", "",
              "  /** The message whose GBK bytes these are, or UNKNOWN. */",
              "  public static Vokqm7Message of(byte[] gbk) {",
              "    StringBuilder hex = new StringBuilder();",
              '    for (byte b : gbk) hex.append(String.format("%02X", b & 0xFF));',
              "    for (Vokqm7Message message : values()) {",
              "      if (message != UNKNOWN && message.gbkHex.contentEquals(hex)) return message;",
              "    }", "    return UNKNOWN;", "  }", "}"]
    return lines


@table("pascal/vokqm7messages.pas")
def pascal(messages):
    lines = ["{ " + HEAD + " }", "unit vokqm7messages;", "", "{$ifdef FPC}{$mode delphi}{$endif}",
             "{$H+}", "", "interface", "", "type",
             "  { The library's messages by the numbers of docs/messages.md and vokqm7 explain;",
             "    vmUnknown for a text that is none of them. }",
             "  TVokqm7Message = (vmUnknown = 0,"]
    lines += ["    vm%s = %d%s" % (name, number, "," if number < len(messages) else ");")
              for number, name, _, _ in messages]
    lines += ["", "{ The message whose GBK bytes these are, or vmUnknown. }",
              "function MessageOf(const Gbk: RawByteString): TVokqm7Message;", "", "implementation", "",
              "uses SysUtils;", "", "const",
              "  GbkHex: array[1..%d] of string = (" % len(messages)]
    lines += ["    '%s'%s  { %d %s }" % (gbk.hex().upper(), "," if number < len(messages) else ");",
                                       number, name) for number, name, _, gbk in messages]
    lines += ["", "function MessageOf(const Gbk: RawByteString): TVokqm7Message;", "var",
              "  Hex: string;", "  I: Integer;", "begin", "  Hex := '';",
              "  for I := 1 to Length(Gbk) do", "    Hex := Hex + IntToHex(Ord(Gbk[I]), 2);",
              "  for I := Low(GbkHex) to High(GbkHex) do", "    if GbkHex[I] = Hex then",
              "      Exit(TVokqm7Message(I));", "  Result := vmUnknown;", "end;", "", "end."]
    return lines


@table("vb6/VOKQM7Messages.bas", "\r\n")
def vb6(messages):
    lines = ['Attribute VB_Name = "VOKQM7Messages"', "' " + HEAD,
             "' The library's messages by the numbers of docs/messages.md and vokqm7 explain.",
             "' A failed call raises vokqm7ErrorBase + the number (VOKQM7.bas).", "Option Explicit", ""]
    lines += ["Public Const vokqm7Msg%s As Long = %d" % (name, number) for number, name, _, _ in messages]
    lines += ["", "' The number of the message whose GBK bytes, in hex, these are; 0 for none.",
              "Public Function Vokqm7MessageNumber(ByVal gbkHex As String) As Long",
              "    Select Case gbkHex"]
    lines += ['    Case "%s": Vokqm7MessageNumber = vokqm7Msg%s' % (gbk.hex().upper(), name)
              for _, name, _, gbk in messages]
    lines += ["    Case Else: Vokqm7MessageNumber = 0", "    End Select", "End Function"]
    return lines


@table("python/vokqm7/messages.py")
def python(messages):
    lines = ['"""The library\'s messages by the numbers of docs/messages.md and `vokqm7 explain`.', "",
             HEAD + '"""', "import enum", "", "", "class Message(enum.IntEnum):",
             '    """UNKNOWN for a text that is none of the library\'s messages."""', "",
             "    UNKNOWN = 0"]
    lines += ["    %s = %d  # %s" % (snake(name), number, text) for number, name, text, _ in messages]
    lines += ["", "", "BY_GBK = {"]
    lines += ['    bytes.fromhex("%s"): Message.%s,' % (gbk.hex().upper(), snake(name))
              for _, name, _, gbk in messages]
    lines += ["}"]
    return lines


def tables(source):
    messages = catalogue(source)
    return {path: (line_end.join(writer(messages)) + line_end).encode("utf-8")
            for path, (writer, line_end) in TABLES.items()}


def main(source, target):
    made = tables(source)
    if target == "--check":
        stale = []
        for path, content in sorted(made.items()):
            try:
                with open(os.path.join(source, "bindings", path), "rb") as file:
                    if file.read() == content:
                        continue
            except FileNotFoundError:
                pass
            stale.append("bindings/" + path)
        if stale:
            print("%s: not made from request/messages.h as it is now; run "
                  "cmake/binding_messages.py %s %s" % (", ".join(stale), source, os.path.join(source, "bindings")))
            return 1
        return 0
    for path, content in made.items():
        os.makedirs(os.path.dirname(os.path.join(target, path)), exist_ok=True)
        with open(os.path.join(target, path), "wb") as file:
            file.write(content)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
