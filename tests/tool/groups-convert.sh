# convert: the section writers offline; a section equals what the library
# puts into a filing document.
run "$tool" report-date "${login[@]}" -o national.xml
expect_status 0 "report-date for convert"

run "$tool" convert --layout income-1 "$model/国税申报/hxsyb.rep" --year 2026 --period 11 -o income.xml
expect_status 0 "convert income-1 -o"
expect_out "section written to income.xml" "convert -o"
head -c 8 income.xml | grep -qF "<SB_SYB>" || fail "convert -o: the file does not start with the section"
grep -qF "$(cat income.xml)" national.xml || fail "convert -o: section differs from the filing document's"

run "$tool" convert --layout balance-1 "$model/国税申报/hxzcfzb.rep" -o balance.xml
expect_status 0 "convert balance-1 -o"
grep -qF "$(cat balance.xml)" national.xml || fail "convert balance-1: section differs from the filing document's"

run "$tool" convert --layout income-3 "$model/财务申报/lrb.rep" --year 2026 --period 11 --check
expect_status 0 "convert income-3 --check"
expect_out "<SB_SYB_BCZL>" "convert prints the section"
expect_out "成功" "convert prints the section in UTF-8"
expect_out "check: the section is well-formed XML" "convert --check"

run "$tool" convert --layout balance-2 "$model/财务申报/zcfzb.rep" -o b2.xml --utf8
expect_status 0 "convert --utf8"
grep -qF "<SB_ZCFZB>" b2.xml && iconv -f UTF-8 -t UTF-8 b2.xml >/dev/null 2>&1 ||
  fail "convert --utf8: no UTF-8 section"

printf 'not a cell export' >bad.xml
run "$tool" convert --layout income-1 bad.xml -o bad-section.xml
expect_status 1 "convert, bad export"
expect_err "the income-1 writer failed: 分析损益表数据文件错误!" "convert, bad export"
[ ! -e bad-section.xml ] || fail "convert wrote a section although the writer failed"

run "$tool" convert --layout income-2 "$work/none.xml"
expect_status 1 "convert, missing export"
expect_err "the income-2 writer failed: " "convert, missing export"
