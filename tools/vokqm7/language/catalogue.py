#!/usr/bin/env python3
"""The tool's catalogue of translations, po/zh_CN.po, read without gettext.

  catalogue.py table PO OUTPUT   writes the C++ table the tool is built with;
                                 fails when a translation's placeholders are
                                 not its source's
  catalogue.py check PO POT      fails unless every text of POT (what
                                 xgettext found in the code) is translated,
                                 no entry is left unused, no translation is
                                 English still, and the terms of the trade
                                 are said as TERMS says them
"""
import re
import sys

PLACEHOLDER = re.compile(r"%(?:%|(\d+)\$s|s|.)")

# The terms of the trade, as the statements and filing software name them:
# a text that uses the English term says it with one of these words.
TERMS = [
    (r"\bbalance sheets?\b", ["资产负债表"]),
    (r"\bincome statements?\b", ["损益表", "利润表"]),
    (r"\binstallation folder\b", ["安装目录"]),
    (r"\bfiling documents?\b", ["申报文件"]),
    (r"(?<![-\w])templates?\b", ["模板", "模版"]),
    (r"\breport period\b", ["所属期"]),
    (r"\bcell exports?\b", ["单元格导出"]),
    (r"\breport tools?\b", ["报表工具"]),
]


class Entry:
    def __init__(self, line):
        self.line = line
        self.msgctxt = None
        self.msgid = ""
        self.msgstr = ""
        self.fuzzy = False


def key(entry):
    """What the tool looks a text up by: gettext's context, EOT, the text."""
    if entry.msgctxt is None:
        return entry.msgid
    return entry.msgctxt + "\x04" + entry.msgid


def unquote(text, where):
    if not (len(text) >= 2 and text[0] == '"' and text[-1] == '"'):
        sys.exit(f"{where}: a string in double quotes was expected")
    out = []
    body = text[1:-1]
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\"}
    i = 0
    while i < len(body):
        c = body[i]
        if c == "\\":
            if i + 1 == len(body) or body[i + 1] not in escapes:
                sys.exit(f"{where}: unknown escape in {text}")
            out.append(escapes[body[i + 1]])
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def read_po(path):
    entries = []
    entry = None
    field = None
    flags = set()
    with open(path, encoding="utf-8") as po:
        for number, raw in enumerate(po, 1):
            line = raw.rstrip("\n")
            where = f"{path}:{number}"
            if line.startswith("#~"):
                field = None  # an obsolete entry: not part of the catalogue
                continue
            if line.startswith("#,"):
                flags |= {f.strip() for f in line[2:].split(",")}
                continue
            if line.startswith("#") or not line.strip():
                if field == "msgstr":
                    field = None
                continue
            if line.startswith("msgid_plural"):
                sys.exit(f"{where}: the catalogue has no plurals")
            if line.startswith("msgctxt "):
                context = unquote(line[8:].strip(), where)
                field = "msgctxt"
                continue
            if line.startswith("msgid "):
                entry = Entry(number)
                entry.fuzzy = "fuzzy" in flags
                flags = set()
                entries.append(entry)
                if field == "msgctxt":
                    entry.msgctxt = context
                entry.msgid = unquote(line[6:].strip(), where)
                field = "msgid"
            elif line.startswith("msgstr "):
                if entry is None or field != "msgid":
                    sys.exit(f"{where}: msgstr without its msgid")
                entry.msgstr = unquote(line[7:].strip(), where)
                field = "msgstr"
            elif line.startswith('"'):
                if field is None:
                    sys.exit(f"{where}: a string outside an entry")
                text = unquote(line.strip(), where)
                if field == "msgctxt":
                    context += text
                elif field == "msgid":
                    entry.msgid += text
                else:
                    entry.msgstr += text
            else:
                sys.exit(f"{where}: cannot read this line")
    return entries


def placeholders(text, where):
    """The arguments a text takes, in the order it uses them."""
    used = []
    sequential = 0
    numbered = False
    for match in PLACEHOLDER.finditer(text):
        token = match.group(0)
        if token == "%%":
            continue
        if match.group(1):
            numbered = True
            used.append(int(match.group(1)))
        elif token == "%s":
            sequential += 1
            used.append(sequential)
        else:
            sys.exit(f"{where}: {token!r} is no placeholder; use %s, %N$s or %%")
    if numbered and sequential:
        sys.exit(f"{where}: %s and %N$s mixed in one text")
    return used


def check_placeholders(entry, path):
    where = f"{path}:{entry.line}"
    source = placeholders(entry.msgid, where)
    if not entry.msgstr:
        return
    translated = placeholders(entry.msgstr, where)
    if sorted(set(translated)) != sorted(set(source)) or len(translated) != len(source):
        sys.exit(f"{where}: the translation of {entry.msgid!r} takes the arguments "
                 f"{sorted(translated)}, its source {sorted(source)}")


def c_literal(text):
    out = ['"']
    for byte in text.encode("utf-8"):
        c = chr(byte)
        if c in '"\\?' or byte < 0x20 or byte >= 0x7f:
            out.append(f"\\{byte:03o}")
        else:
            out.append(c)
    out.append('"')
    return "".join(out)


def table(po_path, output):
    lines = [f"// Generated from {po_path}; do not edit."]
    seen = set()
    for entry in read_po(po_path):
        if not entry.msgid:
            continue  # the header
        if key(entry) in seen:
            sys.exit(f"{po_path}:{entry.line}: {key(entry)!r} is in the catalogue twice")
        seen.add(key(entry))
        check_placeholders(entry, po_path)
        if entry.fuzzy or not entry.msgstr:
            continue
        lines.append(f"{{{c_literal(key(entry))}, {c_literal(entry.msgstr)}}},")
    text = "\n".join(lines) + "\n"
    try:
        with open(output, encoding="utf-8") as old:
            if old.read() == text:
                return
    except OSError:
        pass
    with open(output, "w", encoding="utf-8") as out:
        out.write(text)


def check(po_path, pot_path):
    translations = {key(e): e for e in read_po(po_path) if e.msgid}
    used = {key(e) for e in read_po(pot_path) if e.msgid}
    faults = []
    for msgid in sorted(used):
        entry = translations.get(msgid)
        if entry is None:
            faults.append(f"not in the catalogue: {msgid!r}")
        elif entry.fuzzy or not entry.msgstr:
            faults.append(f"{po_path}:{entry.line}: not translated: {msgid!r}")
        elif not re.search(r"[^\x00-\x7f]", entry.msgstr):
            faults.append(f"{po_path}:{entry.line}: left in English: {msgid!r}")
        else:
            for term, words in TERMS:
                if re.search(term, entry.msgid, re.I) and not any(w in entry.msgstr for w in words):
                    faults.append(f"{po_path}:{entry.line}: {msgid!r} does not say "
                                  f"{' or '.join(words)}")
    for msgid, entry in sorted(translations.items()):
        if msgid not in used:
            faults.append(f"{po_path}:{entry.line}: no longer used in the tool: {msgid!r}")
    for fault in faults:
        print(fault)
    print(f"{len(used)} texts used in the tool, {len(translations)} in the catalogue, "
          f"{len(faults)} faults")
    return 1 if faults else 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "table":
        table(sys.argv[2], sys.argv[3])
        return 0
    if len(sys.argv) == 4 and sys.argv[1] == "check":
        return check(sys.argv[2], sys.argv[3])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
