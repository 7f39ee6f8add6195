# show's arithmetic checks on documents: the demo's, each shipped rule
# broken by a cent, a layout no rules fit, empty statements, lines of one
# name, and rules files that do not read.
. "$here/show-helpers.sh"
make_demo_filings
run "$tool" report --type zcfzb --template "$model/财务申报/zcfzb.rep" "${login[@]}" -o zcfzb.xml
run "$tool" report --type syb --template "$model/财务申报/lrbsn.rep" "${login[@]}" -o syb.xml
make_rule_documents "$here/../../tools/vokqm7/checks/rules"
[ "$(grep -c '|failed|' <<<"$rule_cases")" -ge 40 ] || fail "too few rule documents: $rule_cases"
check_rule_documents run "$tool" show
