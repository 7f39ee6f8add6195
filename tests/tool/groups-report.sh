# report: one statement by type, through GetReportV2.
run "$tool" report --type zcfzb --template "$model/财务申报/zcfzb.rep" "${login[@]}" -o balance.xml
expect_status 0 "report --type zcfzb"
expect_out "GetReportV2 succeeded: the filing document is in balance.xml" "report --type zcfzb"
expect_file_has balance.xml "<SB_ZCFZB>" "report --type zcfzb"
! grep -qF "<SB_SYB>" balance.xml || fail "report --type zcfzb wrote an income statement"

run "$tool" report --type syb --template "$model/国税申报/hxsyb.rep" "${login[@]}" -o income.xml --utf8
expect_status 0 "report --type syb"
expect_file_has income.xml "<SB_SYB>" "report --type syb"
! grep -qF "<SB_ZCFZB>" income.xml || fail "report --type syb wrote a balance sheet"
expect_file_has income.xml "<SB_SYB_DM>成功</SB_SYB_DM>" "report --type syb --utf8"

run "$tool" report --type syb "${login[@]}" -o x.xml
expect_status 2 "report without --template"
expect_err "--template" "report without --template"

run "$tool" report --type syb --template "$work/none.rep" "${login[@]}" -o none.xml
expect_status 1 "report, template missing"
expect_err "GetReportV2 failed with result -1: " "report, template missing"
[ ! -e none.xml ] || fail "report wrote a document although it failed"
