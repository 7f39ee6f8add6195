#!/bin/bash
# One language's example against libVOKQM7.so on a copy of the demo
# installation, beside the C example (get_filing):
#   example-test.sh <python|csharp|pascal|java> <get_filing> <library dir> <stand-in tools dir> <source dir>
# The example writes the national-tax filing to a path with a GBK character
# ending in the byte of a backslash, for an account holding every character
# the login XML must escape: its document must be the C example's, byte for
# byte, and the library must have read the account as given. With the
# stand-in tool writing nothing, the library's message must come out as the
# language's error, decoded: the C example's GBK message, as UTF-8.
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

case $language in
  python) example=(python3 "$bindings/example.py") ;;
  csharp)
    run mcs -warnaserror -out:"$work/Example.exe" "$bindings"/*.cs
    example=(mono "$work/Example.exe") ;;
  pascal)
    mkdir units
    run fpc -vew -Sew -FUunits -Fl"$library" -o"$work/example" "$bindings/example.pas"
    example=("$work/example") ;;
  java)
    run javac -Xlint:all -Werror -cp "$jna" -d classes "$bindings"/*.java
    example=(java -cp "$jna:classes" Example) ;;
esac
[ "${status:-0}" -eq 0 ] || { fail "the $language example does not build"; finish; }

printf '%s' '<Info><LoginInfo><AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period><Server>demo-server</Server></LoginInfo></Info>' >login.xml
run "$get_filing" national login.xml c.xml
expect_status 0 "the C example"

output=誠信申报.xml account=$'誠&B<1>\'"'
run env VOKQM7_TRACE="$work/trace.log" "${example[@]}" "$output" "$account" 2026 11 demo-server
expect_status 0 "$language example"
expect_out "interface version 2" "$language example"
expect_out "GetReportDate wrote $output" "$language example"
cmp -s "$output" c.xml || fail "$language example: $output is not the C example's document"
expect_file_has trace.log "event=login account=\"誠&B<1>'\\\"\" year=2026 period=11" "$language example's login"

run env VOKWQM7_NO_OUTPUT_ACCOUNT=001 "$get_filing" national login.xml c-none.xml
expect_status 1 "the C example, the tool writing nothing"
message=$(sed -n 's/^national filing failed (-1): //p' "$work/.out" | iconv -f GBK -t UTF-8)
[ -n "$message" ] || fail "the C example printed no message"
run env VOKWQM7_NO_OUTPUT_ACCOUNT=001 "${example[@]}" none.xml 001 2026 11 demo-server
expect_status 1 "$language example, the tool writing nothing"
[ "$(sed -n 2p "$work/.out")" = "GetReportDate failed (-1): $message" ] ||
  fail "$language example, the tool writing nothing: the error is not 'GetReportDate failed (-1): $message'"
[ ! -e none.xml ] || fail "$language example: a failed call left none.xml"
finish
