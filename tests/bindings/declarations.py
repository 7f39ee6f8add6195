"""The declarations of the language bindings against include/vokqm7.h:
every declaration set names the header's exports, each with its arguments
(text or 32-bit integer) in the header's order, and the message buffers
hold at least what the header asks for."""
import ast
import re
from collections import namedtuple

# One declared export: its name, its argument kinds ("int" or "text") and
# where its argument list sits in the file's text.
Declaration = namedtuple("Declaration", "name kinds start end")


def header_exports(text):
    exports = {}
    for match in re.finditer(r"VOKQM7_API\s+int\s+VOKQM7_CALL\s+(\w+)\s*\(([^)]*)\)", text):
        arguments = [a.strip() for a in match.group(2).split(",")]
        if arguments == ["void"]:
            arguments = []
        exports[match.group(1)] = ["int" if re.match(r"int\s", a) else "text" for a in arguments]
    return exports


def header_buffer_bytes(text):
    return int(re.search(r"must hold at least (\d+) bytes", text).group(1))


def _comma_kinds(arguments, integer):
    parts = [p.strip() for p in arguments.split(",") if p.strip()]
    return ["int" if re.search(integer, p) else "text" for p in parts]


def _declarations(text, pattern, kinds):
    return [Declaration(m.group("name"), kinds(m.group("arguments") or ""),
                        m.start("arguments"), m.end("arguments"))
            for m in re.finditer(pattern, text)]


def csharp(text):
    if not re.search(r"Cc\s*=\s*CallingConvention\.StdCall", text):
        return {}, ["the calling convention is not CallingConvention.StdCall"]
    pattern = (r"\[DllImport\(Dll, CallingConvention = Cc[^\]]*\]\s*internal static extern int "
               r"(?P<name>\w+)\((?P<arguments>[^)]*)\)")
    return {"DllImport": _declarations(text, pattern, lambda a: _comma_kinds(a, r"^int\s"))}, []


def java(text):
    body = re.search(r"interface \w+ extends StdCallLibrary \{(?P<body>.*?)\n  \}", text, re.S)
    if body is None:
        return {}, ["no interface extending StdCallLibrary"]
    pattern = r"\bint (?P<name>\w+)\((?P<arguments>[^)]*)\);"
    found = _declarations(body.group("body"), pattern, lambda a: _comma_kinds(a, r"^int\s"))
    offset = body.start("body")
    return {"StdCallLibrary": [d._replace(start=d.start + offset, end=d.end + offset)
                               for d in found]}, []


def _pascal_kinds(arguments):
    kinds = []
    for group in filter(None, (g.strip() for g in arguments.split(";"))):
        names, _, kind = group.partition(":")
        count = len([n for n in names.split(",") if n.strip()])
        kinds += ["int" if kind.strip() == "Integer" else "text"] * count
    return kinds


def pascal(text):
    # The ifdef whose Windows side holds the declarations.
    branches = next((m for m in re.finditer(r"\{\$ifdef MSWINDOWS\}(?P<windows>.*?)\{\$else\}"
                                            r"(?P<other>.*?)\{\$endif\}", text, re.S)
                     if "external" in m.group("windows")), None)
    if branches is None:
        return {}, ["no Windows and Linux declarations"]
    pattern = (r"function (?P<name>\w+)(?:\((?P<arguments>[^)]*)\))?:\s*Integer;\s*"
               r"(?P<convention>stdcall|cdecl); external")
    sets, problems = {}, []
    for branch, convention in (("windows", "stdcall"), ("other", "cdecl")):
        offset = branches.start(branch)
        for match in re.finditer(pattern, branches.group(branch)):
            if match.group("convention") != convention:
                problems.append("%s: %s is not %s" % (branch, match.group("name"), convention))
            sets.setdefault(branch, []).append(Declaration(
                match.group("name"), _pascal_kinds(match.group("arguments") or ""),
                offset + match.start("arguments"), offset + match.end("arguments")))
    return sets, problems


def vb6(text):
    problems = []
    if re.search(r"(?<!\r)\n", text):
        problems.append("a line does not end in CR LF (the VB6 editor needs them)")
    pattern = (r'Declare (?P<safe>PtrSafe )?Function (?P<name>\w+) Lib "VOKQM7\.dll" '
               r"\((?P<arguments>[^)]*)\) As Long")
    sets = {}
    for match in re.finditer(pattern, text):
        sets.setdefault("VBA7" if match.group("safe") else "VB6", []).append(Declaration(
            match.group("name"), _comma_kinds(match.group("arguments"), r"As Long$"),
            match.start("arguments"), match.end("arguments")))
    # VB's own ANSI conversion of a String turns what the system code page
    # lacks into "?": texts and the buffer go as the first byte of a byte
    # array of GBK, by reference.
    for found in sets.values():
        for declaration in found:
            arguments = text[declaration.start:declaration.end]
            for argument in filter(None, (a.strip() for a in arguments.split(","))):
                if not re.fullmatch(r"ByRef \w+ As Byte|ByVal \w+ As Long", argument):
                    problems.append("%s: '%s' is neither ByRef ... As Byte nor ByVal ... As Long"
                                    % (declaration.name, argument))
    if not re.search(r"StrConv\(text, vbFromUnicode, GbkLocale\)", text) or \
            not re.search(r"StrConv\(message, vbUnicode, GbkLocale\)", text) or \
            not re.search(r"GbkLocale As Long = 2052", text):
        problems.append("texts are not converted with StrConv(..., vbFromUnicode/vbUnicode, 2052)")
    return sets, problems


def python(text):
    tree = ast.parse(text)
    for node in ast.walk(tree):
        if isinstance(node, ast.Assign) and getattr(node.targets[0], "id", "") == "_EXPORTS":
            table = node.value
            break
    else:
        return {}, ["no _EXPORTS table"]
    lines = [0]
    for line in text.splitlines(keepends=True):
        lines.append(lines[-1] + len(line))
    found = []
    for key, value in zip(table.keys, table.values):
        if isinstance(value, ast.Tuple):
            kinds = ["int" if ast.unparse(e) == "ctypes.c_int" else "text" for e in value.elts]
        else:
            kinds = ["not a tuple: " + ast.unparse(value)]
        start = lines[value.lineno - 1] + value.col_offset
        end = lines[value.end_lineno - 1] + value.end_col_offset
        found.append(Declaration(key.value, kinds, start + 1, end - 1))
    problems = []
    if not re.search(r'ctypes\.WinDLL\(name\)', text):
        problems.append("the DLL is not loaded with WinDLL (stdcall) on Windows")
    return {"ctypes": found}, problems


# Each binding: its file, its parser, and the size of its message buffer.
BINDINGS = {
    "csharp": ("bindings/csharp/Vokqm7.cs", csharp, r"MessageBufferSize = (\d+);"),
    "java": ("bindings/java/Vokqm7.java", java, r"MESSAGE_BUFFER_SIZE = (\d+);"),
    "pascal": ("bindings/pascal/vokqm7.pas", pascal, r"MessageBufferSize = (\d+);"),
    "vb6": ("bindings/vb6/VOKQM7.bas", vb6, r"MessageBufferSize As Long = (\d+)"),
    "python": ("bindings/python/vokqm7/__init__.py", python, r"MESSAGE_BUFFER_SIZE = (\d+)"),
}


def check(binding, text, header):
    """What is wrong with one binding's text, as a list of sentences."""
    _, parse, buffer_pattern = BINDINGS[binding]
    exports = header_exports(header)
    try:
        sets, problems = parse(text)
    except SyntaxError as error:
        return ["does not parse: %s" % error]
    if not sets:
        problems.append("declares none of the exports")
    for label, declarations in sorted(sets.items()):
        declared = {}
        for declaration in declarations:
            if declaration.name in declared:
                problems.append("%s: %s declared twice" % (label, declaration.name))
            declared[declaration.name] = declaration.kinds
        for name, kinds in sorted(exports.items()):
            if name not in declared:
                problems.append("%s: %s is not declared" % (label, name))
            elif declared[name] != kinds:
                problems.append("%s: %s takes (%s), the header says (%s)" % (
                    label, name, ", ".join(declared[name]), ", ".join(kinds)))
        for name in sorted(set(declared) - set(exports)):
            problems.append("%s: %s is not an export of the header" % (label, name))
    size = re.search(buffer_pattern, text)
    if size is None or int(size.group(1)) < header_buffer_bytes(header):
        problems.append("the message buffer is not at least %d bytes" % header_buffer_bytes(header))
    return problems
