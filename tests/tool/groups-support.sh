# support-bundle: one zip of what support asks for first, every password
# masked. The zip is checked by unzip -t and read back by python3's zipfile.
trace=$work/traces/trace.log
mkdir -p "$work/traces"
run "$tool" trace on "$trace"
printf '<Info><LoginInfo><AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period><Server>demo-server</Server><UserID>admin</UserID><Password>Typed-pw0</Password></LoginInfo></Info>' >"$work/login.xml"
run "$tool" report-date --login "$work/login.xml" -o "$work/national.xml"
expect_status 0 "report-date, traced"

# What must never leave the desk, planted where a careless copy would take
# it: a login XML pasted into a trace line, the same escaped, an
# interactive command line, a password field, and a login XML in the
# filing document.
cat >"$trace.1" <<'PLANTED'
2026-12-01 08:00:00.000 pid=1 tid=1 call=1 event=call.begin export=OpenReportV2
2026-12-01 08:00:00.001 pid=1 tid=1 call=1 event=login.text text="<Info><LoginInfo><AccountCode>105</AccountCode><Password>Planted-pw1</Password></LoginInfo></Info>"
pasted by hand: &lt;Password&gt;Planted-pw2&lt;/Password&gt;
2026-12-01 08:00:00.002 pid=1 tid=1 call=1 event=interactive.start command="vokdesk.exe -L{105\t2026\tadmin\tPlanted-pw3\t2026-11-30\tdemo\t}" password=Planted-pw4
PLANTED
printf '<!-- <Password>Planted-pw5</Password> -->\n' >>"$work/national.xml"

# Reads a zip with python3's zipfile: its names, one a line, or with a
# name that entry's text.
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
  expect_out "support bundle written: $bundle" "support-bundle"
  masked=4
  [ "$documents" = yes ] && masked=5
  expect_out "$masked password(s) masked" "support-bundle ($documents documents)"
  unzip -tq "$bundle" >/dev/null 2>&1 || fail "unzip -t finds $bundle broken"
  names=$(zip_read "$bundle") || fail "python3 zipfile cannot read $bundle"
  wanted="doctor.txt versions.txt registry.txt installation.txt trace/trace.log.1 trace/trace.log"
  [ "$documents" = yes ] && wanted="$wanted documents/national.xml"
  [ "$(echo $names)" = "$wanted" ] || fail "bundle ($documents documents) holds '$(echo $names)', not '$wanted'"
  all=$(for name in $names; do zip_read "$bundle" "$name"; done)
  grep -qE 'Planted-pw|Typed-pw' <<<"$all" && fail "a password is in $bundle: $(grep -oE '.{30}(Planted|Typed)-pw.' <<<"$all")"
  grep -qF '<Password>********</Password>' <<<"$all" || fail "no masked login XML in $bundle"
done

bundle=$work/bundle-yes.zip
library=$(zip_read "$bundle" versions.txt | sed -n 's/^library: //p')
[ -f "$library" ] || fail "versions.txt names no library file: '$library'"
# What each file must say: entry, then a fixed text it holds.
while IFS='|' read -r name text; do
  zip_read "$bundle" "$name" | grep -qF -- "$text" || fail "$name lacks '$text'"
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
trace/trace.log|event=call.begin export=GetReportDate
trace/trace.log.1|-L{105\\t2026\\tadmin\\t********\\t2026-11-30
trace/trace.log.1|&lt;Password&gt;********&lt;/Password&gt;
documents/national.xml|<Password>********</Password>
TABLE
# The listing names the cell export it leaves out.
zip_read "$bundle" installation.txt | grep -qE '^[0-9-]{10} [0-9:]{8} +[0-9]+  rep_vok.xml$' \
  || fail "installation.txt does not list rep_vok.xml with its size and time"
unzip -l "$bundle" | grep -q 'rep_vok' && fail "a cell export is in the bundle"

# Every form a password takes, each as lines pasted by hand and in a trace
# line's value ("@" stands for a trace line's start; printf %b reads the
# rest): gone from the bundle, and each counted once.
traced='2026-12-01 08:00:00.001 pid=1 tid=1 call=1 event=login.text'
while IFS='|' read -r form planted count; do
  printf '%b\n' "${planted//@/$traced}" >"$trace.1"
  run "$tool" support-bundle -o "$work/forms.zip"
  expect_status 0 "support-bundle, $form"
  expect_out "$count password(s) masked" "support-bundle, $form"
  all=$(unzip -p "$work/forms.zip")
  grep -q 'Planted' <<<"$all" && fail "$form: a password is in the bundle: $(grep -o '.\{20\}Planted.\{10\}' <<<"$all")"
  grep -qF '********' <<<"$all" || fail "$form: nothing masked in the bundle"
done <<'TABLE'
plain|<Info><Password>Planted-1</Password></Info>\n@ text=<Info><Password>Planted-2</Password></Info>|2
xml:space|<Password xml:space="preserve">Planted-1</Password>\n@ text="<Password xml:space=\\"preserve\\">Planted-2</Password>"|2
a blank in the tag|<Password >Planted-1</Password >\n@ text="<Password >Planted-2</Password >"|2
a prefix|<q:Password xmlns:q="urn:q">Planted-1</q:Password>\n@ text=<q:Password>Planted-2</q:Password>|2
CDATA|<Password><![CDATA[Planted-1]]></Password>\n@ text=<Password><![CDATA[Planted-2]]></Password>|2
a comment before the value|<Password><!-- typed 1 Dec -->Planted-1</Password>\n@ text="<Password><!-- x -->Planted-2</Password>"|2
a value holding &lt;|<Password>a&lt;Planted-1</Password>\n@ text=<Password>a&lt;Planted-2</Password>|2
the value on the next line|<Password>\nPlanted-1\n</Password>\n@ text="<Password>\\nPlanted-2\\n</Password>"|2
a field named pass|seen: pass=Planted-1\n@ pass=Planted-2|2
escaped and cut short|&lt;Password&gt;Planted-1\n@ text="&lt;Password&gt;Planted-2... (40000 bytes)"|2
TABLE

run "$tool" support-bundle -o "$work/no such folder/bundle.zip"
expect_status 4 "support-bundle into a missing folder"
expect_err "cannot write the bundle" "support-bundle into a missing folder"

run "$tool" trace off
