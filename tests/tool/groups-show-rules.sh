# show's arithmetic checks on documents: the demo's, one broken, a line no
# rule accounts for, statements of other kinds, empty statements, lines of
# one name, and rules files that do not read.
. "$here/show-helpers.sh"
make_demo_filings
run "$tool" report --type zcfzb --template "$model/财务申报/zcfzb.rep" "${login[@]}" -o zcfzb.xml
run "$tool" report --type syb --template "$model/财务申报/lrbsn.rep" "${login[@]}" -o syb.xml
make_rule_documents
check_rule_documents run "$tool" show
