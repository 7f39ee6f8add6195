# support-bundle: one zip of what support asks for first, the trace's lines
# as the library writes them, every password masked, readable by its user
# alone. The zip is checked by unzip -t and read back by python3's zipfile.
trace=$work/traces/trace.log
mkdir -p "$work/traces"
run "$tool" trace on "$trace"
printf '<Info><LoginInfo><AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period><Server>demo-server</Server><UserID>admin</UserID><Password>Typed-pw0</Password></LoginInfo></Info>' >"$work/login.xml"
run "$tool" report-date --login "$work/login.xml" -o "$work/national.xml"
expect_status 0 "report-date, traced"

# What must never leave the desk, planted where a careless copy would take
# it: a login XML in a line of an event the library never writes, the same
# escaped on a line of its own, a password field beside an interactive
# command line, and a login XML in the filing document.
cat >"$trace.1" <<'PLANTED'
2026-12-01 08:00:00.000 pid=1 tid=1 call=1 event=call.begin export=OpenReportV2
2026-12-01 08:00:00.001 pid=1 tid=1 call=1 event=login.text text="<Info><LoginInfo><AccountCode>105</AccountCode><Password>Planted-pw1</Password></LoginInfo></Info>"
pasted by hand: &lt;Password&gt;Planted-pw2&lt;/Password&gt;
2026-12-01 08:00:00.002 pid=1 tid=1 call=1 event=interactive.start command="vokdesk.exe -L{105\t2026\tadmin\tPlanted-pw3\t2026-11-30\tdemo\t}" password=Planted-pw4
PLANTED
printf '<!-- <Password>Planted-pw5</Password> -->\n' >>"$work/national.xml"

# Reads a zip with python3's zipfile: its names, one a line, or with a
# name that entry's text. (Once a bundle: python3 starts slowly on a busy
# machine; `entry` reads the texts with unzip.)
zip_read() {
  python3 - "$@" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    if z.testzip() is not None:
        sys.exit("bad CRC in " + z.testzip())
    if len(sys.argv) > 2:
        sys.stdout.write(z.read(sys.argv[2]).decode("utf-8", "replace"))
    else:
        for info in z.infolist():
            print(info.filename)
PY
}

for documents in no yes; do
  bundle=$work/bundle-$documents.zip
  options=(-o "$bundle")
  [ "$documents" = yes ] && options+=(--with-documents)
  run "$tool" support-bundle "${options[@]}"
  expect_status 0 "support-bundle ($documents documents)"
  expect_out "support bundle written, readable by this user alone: $bundle" "support-bundle"
  [ "$(stat -c %a "$bundle")" = 600 ] || fail "$bundle is not the user's alone: $(stat -c %a "$bundle")"
  masked=0
  [ "$documents" = yes ] && masked=1
  expect_out "Masked: $masked value(s) that hold or may hold a password" "support-bundle ($documents documents)"
  expect_out "  - the trace $trace.1, line(s) 2: an event the library does not write" "support-bundle"
  expect_out "  - the trace $trace.1, line(s) 3: not a line of the library's trace" "support-bundle"
  expect_out "  - the trace $trace.1, line(s) 4: a field the library does not write in interactive.start lines" "support-bundle"
  expect_out "  calls of this account: 1" "support-bundle"
  unzip -tq "$bundle" >/dev/null 2>&1 || fail "unzip -t finds $bundle broken"
  names=$(zip_read "$bundle") || fail "python3 zipfile cannot read $bundle"
  wanted="CONTENTS.txt doctor.txt versions.txt registry.txt installation.txt trace/trace.log.1 trace/trace.log"
  [ "$documents" = yes ] && wanted="$wanted documents/national.xml"
  [ "$(echo $names)" = "$wanted" ] || fail "bundle ($documents documents) holds '$(echo $names)', not '$wanted'"
  all=$(unzip -p "$bundle")
  grep -qE 'Planted-pw|Typed-pw' <<<"$all" && fail "a password is in $bundle: $(grep -oE '.{30}(Planted|Typed)-pw.' <<<"$all")"
done
entry() { unzip -p "$1" "$2"; }
entry "$work/bundle-yes.zip" documents/national.xml | grep -qF '<Password>********</Password>' ||
  fail "no masked login XML in the bundle's document"

bundle=$work/bundle-yes.zip
library=$(entry "$bundle" versions.txt | sed -n 's/^library: //p')
[ -f "$library" ] || fail "versions.txt names no library file: '$library'"
# What each file must say: entry, then a fixed text it holds.
while IFS='|' read -r name text; do
  entry "$bundle" "$name" | grep -qF -- "$text" || fail "$name lacks '$text'"
done <<TABLE
doctor.txt|Checking the report tool installation the library would use:
doctor.txt|tracing is on: calls write to $trace
versions.txt|tool: vokqm7 $VOKQM7_VERSION
versions.txt|library SHA-256: $(sha256sum "$library" | cut -d' ' -f1)
versions.txt|library bitness: 64-bit (ELF64)
versions.txt|ANSI code page: 936
registry.txt|  the registry folder (one view): $install
registry.txt|  HKEY_CURRENT_USER\\Software\\VOKQM7\\TraceFile: $trace
registry.txt|  HKEY_LOCAL_MACHINE\\Software\\VOKQM7\\TraceFile: not set
installation.txt|vokModel\\国税申报\\hxzcfzb.rep
installation.txt|vokwqm7.exe
trace/trace.log|event=call.begin export=GetReportDate user=$(id -u)
trace/trace.log.1|event=call.begin export=OpenReportV2
trace/trace.log.1|-- vokqm7 support-bundle: line(s) 3 left out: not a line of the library's trace
CONTENTS.txt|  documents/national.xml  (
CONTENTS.txt|  filing documents: documents/national.xml, with its figures
CONTENTS.txt|  account codes: 1
CONTENTS.txt|Trace lines: 21 carried, 3 left out
CONTENTS.txt|  - cell exports and work files: never, they hold the figures
TABLE
# The library's own lines are carried whole: none of them is left out.
entry "$bundle" CONTENTS.txt | grep -qF "  - the trace $trace, line" &&
  fail "a line the library wrote was left out: $(entry "$bundle" CONTENTS.txt)"
# The listing names the cell export it leaves out.
entry "$bundle" installation.txt | grep -qE '^[0-9-]{10} [0-9:]{8} +[0-9]+  rep_vok.xml$' \
  || fail "installation.txt does not list rep_vok.xml with its size and time"
unzip -l "$bundle" | grep -q 'rep_vok' && fail "a cell export is in the bundle"

run "$tool" support-bundle -o "$work/no such folder/bundle.zip"
expect_status 4 "support-bundle into a missing folder"
expect_err "cannot write the bundle" "support-bundle into a missing folder"

run "$tool" trace off
