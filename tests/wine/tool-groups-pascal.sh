# The Free Pascal binding's example with the real DLL: the guide's C
# example's document byte for byte, on a path with a character whose GBK
# ends in the byte of a backslash; the library's message as the example's
# exception, in the ANSI code page, with its number in the guide, when the
# report tool writes nothing.
client=${7:?the C example of the guide}
cp "$client" "$work/bin/"
example=$(basename "$program")

wine_run filing_client.exe c.xml 001 2026 11 demo-server
expect_status 0 "the guide's C example"
wine_run "$example" 誠信申报.xml 001 2026 11 demo-server
expect_status 0 "Pascal example"
expect_out "interface version 2" "Pascal example"
expect_out "GetReportDate wrote 誠信申报.xml" "Pascal example"
cmp -s bin/誠信申报.xml bin/c.xml || fail "the Pascal example wrote another document than the C example"

wine_env+=(VOKWQM7_NO_OUTPUT_ACCOUNT=001)
wine_run filing_client.exe c-none.xml 001 2026 11 demo-server
expect_status 1 "the C example, the tool writing nothing"
message=$(sed -n 's/^GetReportDate failed (-1): //p' <<<"$out")
[ -n "$message" ] || fail "the C example printed no message"
number=$(sed -n "s/^## \([0-9]*\)\. $message\$/\1/p" "$here/../../docs/messages.md")
[ -n "$number" ] || fail "the guide does not number '$message'"
wine_run "$example" none.xml 001 2026 11 demo-server
expect_status 1 "Pascal example, the tool writing nothing"
expect_out "GetReportDate failed (-1, message $number): $message" "Pascal example, the tool writing nothing"

