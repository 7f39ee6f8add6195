"""Checks every binding's declarations against include/vokqm7.h, then shows
that the check catches a lost argument: each declared export of each
binding with one argument removed, and the header with one removed, must
each make the check fail.
    check-declarations.py SOURCE_DIR"""
import os
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
import declarations as d  # noqa: E402


def drop_one_argument(binding, text, declaration):
    """The binding's text with the last argument of one declaration gone."""
    arguments = text[declaration.start:declaration.end]
    if binding == "pascal":
        groups = arguments.split(";")
        names, _, kind = groups[-1].partition(":")
        names = names.split(",")
        groups[-1] = ",".join(names[:-1]) + ":" + kind if len(names) > 1 else None
        shorter = ";".join(g for g in groups if g is not None)
    else:
        shorter = arguments.rsplit(",", 1)[0]
    return text[:declaration.start] + shorter + text[declaration.end:]


def main(source):
    with open(os.path.join(source, "include/vokqm7.h")) as file:
        header = file.read()
    failures = 0
    exports = d.header_exports(header)
    if len(exports) != 6:
        print("FAIL: the header declares %d exports, not six: %s" % (len(exports), sorted(exports)))
        failures += 1
    texts = {}
    for binding, (path, parse, _) in sorted(d.BINDINGS.items()):
        with open(os.path.join(source, path), newline="") as file:
            texts[binding] = file.read()
        problems = d.check(binding, texts[binding], header)
        for problem in problems:
            print("FAIL: %s: %s" % (path, problem))
        failures += len(problems)
        if not problems:
            print("ok:   %s declares the six exports as the header does" % path)

    # Mutations that the check must catch.
    caught = 0
    for binding, (path, parse, _) in sorted(d.BINDINGS.items()):
        sets, _ = parse(texts[binding])
        for label, found in sorted(sets.items()):
            for declaration in found:
                if not declaration.kinds:
                    continue
                mutated = drop_one_argument(binding, texts[binding], declaration)
                if not d.check(binding, mutated, header):
                    print("FAIL: %s (%s): %s without one argument passes the check" % (
                        path, label, declaration.name))
                    failures += 1
                else:
                    caught += 1
    # VB's ANSI String, which turns what the code page lacks into "?", must not pass.
    for old, new in (("ByRef loginXml As Byte", "ByVal loginXml As String"),
                     ("ByRef messageBuffer As Byte", "ByVal messageBuffer As String"),
                     ("vbFromUnicode, GbkLocale", "vbFromUnicode")):
        if not d.check("vb6", texts["vb6"].replace(old, new, 1), header):
            print("FAIL: VOKQM7.bas with %s in place of %s passes the check" % (new, old))
            failures += 1
        else:
            caught += 1
    shorter_header = re.sub(r"int trailingNumber,", "", header)
    for binding, (path, _, _) in sorted(d.BINDINGS.items()):
        if not d.check(binding, texts[binding], shorter_header):
            print("FAIL: %s passes against a header whose GetReport lost an argument" % path)
            failures += 1
        else:
            caught += 1
    print("%d mutation(s) caught" % caught)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
