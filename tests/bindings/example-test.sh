#!/bin/bash
# One language's example against libVOKQM7.so on a copy of the demo
# installation, beside the C example (get_filing):
#   example-test.sh <python|csharp|pascal|java> <get_filing> <library dir> <stand-in tools dir> <source dir>
# The example writes the national-tax filing to a path with a GBK character
# ending in the byte of a backslash, for an account holding every character
# the login XML must escape, and one statement by type: each document must
# be the C example's, byte for byte, and the library must have read the
# login as given; it opens the interactive tool with every field. A text
# with a character GBK lacks never reaches the library. With the stand-in
# tool writing nothing, the library's message must come out as the
# language's error, decoded, with its number in the guide; every message of
# the catalogue maps to its number.
set -u
language=$1 get_filing=$2 library=$3 standin=$4 source=$5
group=bindings_$language
. "$source/tests/tool/assert.sh"
bindings=$source/bindings/$language

skip_without() {
  local program
  for program in "$@"; do
    if ! command -v "$program" >/dev/null && [ ! -e "$program" ]; then
      echo "$group: SKIPPED, $program is not installed (scripts/install-deps all installs it)"
      exit 77
    fi
  done
}
jna=/usr/share/java/jna.jar
case $language in
  python) skip_without python3 ;;
  csharp) skip_without mcs mono ;;
  pascal) skip_without fpc ;;
  java) skip_without javac java "$jna" ;;
  *) echo "unknown language $language" >&2; exit 2 ;;
esac

export LANG=C.UTF-8 PYTHONDONTWRITEBYTECODE=1
unset LC_ALL
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
. "$source/tests/support/demo-installation.sh"
make_demo_installation "$source/demo" "$standin"
export LD_LIBRARY_PATH=$library

tests=$source/tests/bindings
case $language in
  python)
    # The interpreter itself: a version manager's shim costs a second a start.
    python=$(python3 -c 'import sys; print(sys.executable)')
    example=("$python" "$bindings/example.py")
    numbers=(env PYTHONPATH="$bindings" "$python" -c 'import sys, vokqm7.messages as m
for line in sys.stdin: print(int(m.BY_GBK.get(bytes.fromhex(line.strip()), 0)))') ;;
  csharp)
    run mcs -warnaserror -out:"$work/Example.exe" "$bindings"/*.cs &&
      run mcs -warnaserror -out:"$work/numbers.exe" "$bindings"/Vokqm7*.cs "$tests/MessageNumbers.cs"
    example=(mono "$work/Example.exe") numbers=(mono "$work/numbers.exe") ;;
  pascal)
    mkdir units
    run fpc -vew -Sew -FUunits -Fl"$library" -o"$work/example" "$bindings/example.pas" &&
      run fpc -vew -Sew -FUunits -Fu"$bindings" -o"$work/numbers" "$tests/message_numbers.pas"
    example=("$work/example") numbers=("$work/numbers") ;;
  java)
    run javac -Xlint:all -Werror -cp "$jna" -d classes "$bindings"/*.java "$tests/MessageNumbers.java"
    example=(java -cp "$jna:classes" Example) numbers=(java -cp classes MessageNumbers) ;;
esac
[ "${status:-0}" -eq 0 ] || { fail "the $language example does not build"; finish; }

# Every message of the library's catalogue (the comment above each constant
# of messages.h, numbered as the guide numbers it) maps to its number; a
# text that is none of them to 0.
mapfile -t catalogue < <(grep -B1 '^inline constexpr char k' "$source/request/messages.h" | sed -n 's|^// ||p')
[ "${#catalogue[@]}" -ge 28 ] || fail "read only ${#catalogue[@]} messages from messages.h"
for i in "${!catalogue[@]}"; do
  grep -qxF "## $((i + 1)). ${catalogue[i]}" "$source/docs/messages.md" ||
    fail "docs/messages.md does not number ${catalogue[i]} $((i + 1))"
  printf '%s' "${catalogue[i]}" | iconv -t GBK | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F
  echo
done >catalogue.hex
printf '%s\n' 41 "$(head -n 1 catalogue.hex)21" >>catalogue.hex
run "${numbers[@]}" <catalogue.hex
[ "$out" = "$(seq 1 "${#catalogue[@]}"; echo 0; echo 0)" ] ||
  fail "$language: the catalogue's messages map to $(tr '\n' ' ' <<<"$out")"

gbk_login() { printf '%s' "$1" | iconv -t GBK >"$2"; }
gbk_login '<Info><LoginInfo><AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period><Server>demo-server</Server></LoginInfo></Info>' login.xml
run "$get_filing" national login.xml c.xml
expect_status 0 "the C example"

output=誠信申报.xml account=$'誠&B<1>\'"'
run env VOKQM7_TRACE="$work/trace.log" "${example[@]}" "$output" "$account" 2026 11 demo-server
expect_status 0 "$language example"
expect_out "interface version 2" "$language example"
expect_out "GetReportDate wrote $output" "$language example"
cmp -s "$output" c.xml || fail "$language example: $output is not the C example's document"
expect_file_has trace.log "event=login account=\"誠&B<1>'\\\"\" year=2026 period=11" "$language example's login"

# GetReportV2 on a template whose path holds a GBK character ending in the
# byte of a backslash, the report type in lower case: the C example's
# document; the login carries both of its fields.
template=$work/誠模板.rep
cp "$install/vok/vokModel/国税申报/hxsyb.rep" "$template"
gbk_login "<Info><LoginInfo><AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period><Server>demo-server</Server><ReportType>syb</ReportType><FileRep>$template</FileRep></LoginInfo></Info>" login-syb.xml
run "$get_filing" by-type login-syb.xml c-syb.xml
expect_status 0 "the C example, by type"
run "${example[@]}" --statement syb "$template" syb.xml 001 2026 11 demo-server
expect_status 0 "$language example --statement"
expect_out "GetReportV2 wrote syb.xml" "$language example --statement"
cmp -s syb.xml c-syb.xml || fail "$language example --statement: syb.xml is not the C example's document"

# OpenReportV2: the interactive tool gets every field, the password and the
# characters XML reserves as given.
rm -f "$install/vok/vokdesk.args"
run "${example[@]}" --open "u<誠>" "p&'w\"" 2026-11-30 "$template" 001 2026 11 demo-server
expect_status 0 "$language example --open"
expect_out "OpenReportV2 started the report tool" "$language example --open"
for _ in $(seq 50); do [ -s "$install/vok/vokdesk.args" ] && break; sleep 0.1; done
expected=$(printf '%s' "-L{001	2026	u<誠>	p&'w\"	2026-11-30	demo-server	$template}" | iconv -t GBK | od -An -v -tx1)
[ "$(od -An -v -tx1 "$install/vok/vokdesk.args" 2>/dev/null)" = "$expected" ] ||
  fail "$language example --open: the report tool was started with $(iconv -f GBK "$install/vok/vokdesk.args" 2>&1)"

# A character GBK lacks, in any argument, is refused by the binding: the
# library is never called (it would trace), nothing is written.
while IFS='|' read -r case_output case_account case_server character; do
  rm -f refused.log
  run env VOKQM7_TRACE="$work/refused.log" "${example[@]}" "$case_output" "$case_account" 2026 11 "$case_server"
  expect_status 1 "$language example, $character"
  expect_out "$character" "$language example refusing $character"
  [ ! -e refused.log ] || fail "$language example: the library was called with $character: $(cat refused.log)"
  [ ! -e "$case_output" ] || fail "$language example: $case_output was written"
done <<'EOF_CASES'
Zoë-䶮.xml|001|demo-server|U+00EB
out.xml|䶮001|demo-server|U+4DAE
out.xml|001|acct😀|U+1F600
EOF_CASES

# The library's message comes out decoded, with its number in the guide.
run env VOKWQM7_NO_OUTPUT_ACCOUNT=001 "$get_filing" national login.xml c-none.xml
expect_status 1 "the C example, the tool writing nothing"
message=$(sed -n 's/^national filing failed (-1): //p' "$work/.out" | iconv -f GBK -t UTF-8)
number=$(sed -n "s/^## \([0-9]*\)\. $message\$/\1/p" "$source/docs/messages.md")
[ -n "$message" ] && [ -n "$number" ] || fail "the C example printed no message of the guide: '$message'"
run env VOKWQM7_NO_OUTPUT_ACCOUNT=001 "${example[@]}" none.xml 001 2026 11 demo-server
expect_status 1 "$language example, the tool writing nothing"
[ "$(sed -n 2p "$work/.out")" = "GetReportDate failed (-1, message $number): $message" ] ||
  fail "$language example, the tool writing nothing: the error is not 'GetReportDate failed (-1, message $number): $message'"
[ ! -e none.xml ] || fail "$language example: a failed call left none.xml"
finish
