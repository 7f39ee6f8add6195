# show: filing documents as tables in the terminal's encoding, the checks
# and their exit status, the page written by --html, bad files, --show.
# The documents show must refuse or fail are in groups-show-documents.sh.
. "$here/show-helpers.sh"
make_demo_filings

# Both sections of a known document, every item with its amounts.
run "$tool" show national.xml
expect_status 0 "show national"
expect_every_item_shown national.xml "show national" 46
expect_aligned "show national"
expect_out "利润表 SB_SYB" "show national"
expect_out "资产负债表 SB_ZCFZB" "show national"
expect_out "所属期：2026年11月  结果：0 成功  编制单位：  单位负责人：0  财会负责人：0" "income header in words"
# The date as the document has it, 20261203 as 2026年12月3日.
tbrq=$(grep -o '<SB_ZCFZB_TBRQ>[0-9]\{8\}<' national.xml | tr -dc '0-9')
[ ${#tbrq} -eq 8 ] || fail "show national: no TBRQ date in the document"
expect_out "填表日期：${tbrq:0:4}年$((10#${tbrq:4:2}))月$((10#${tbrq:6:2}))日  结果：0 成功" "balance header in words"
expect_out "国家资本：0" "balance header"
expect_out "行次  项目" "column titles"
for title in 本月数 本年累计 年初数 期末数; do expect_out "$title" "column title $title"; done
expect_no_out "补充资料" "no supplementary list in the national filing"
expect_out "  ok           balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)" "balance check"
expect_out "期末数: 2621680.15 = 2621680.15" "balance check figures"
expect_out "  ok           line numbers are unique within each list" "line number check"
expect_out "  ok           every amount is a number" "amount check"
[ "$(grep -c '^---' <<<"$out")" -eq 2 ] || fail "show national: not two tables"

# The financial filing: the supplementary list under its own heading.
run "$tool" show financial.xml
expect_status 0 "show financial"
expect_every_item_shown financial.xml "show financial" 49
expect_aligned "show financial"
supplementary=$(sed -n '/^补充资料$/,/^$/p' <<<"$out")
grep -qE '^行次  项目 +本年累计 +上年数$' <<<"$supplementary" || fail "supplementary columns: $supplementary"
grep -qF '4.会计估计变更增加（或减少）利润总额  -4200.00' <<<"$supplementary" ||
  fail "supplementary item: $supplementary"

# A document of the report-by-type export: one statement, the whole income
# statement inside its supplementary block.
run "$tool" report --type syb --template "$model/国税申报/hxsyb.rep" "${login[@]}" -o syb.xml
run "$tool" show syb.xml
expect_status 0 "show syb"
expect_every_item_shown syb.xml "show syb" 16
expect_no_out "资产负债表" "show syb"
expect_no_out "balance sheet:" "no balance check without a balance sheet"

# Totals that differ: exit status 3, the items and figures named.
edited_filing national.xml \
  's#负债和所有者权益总计</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>2021590.00</SB_ZCFZB_NCS><SB_ZCFZB_QMS>2621680.15#负债及所有者权益总计</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>2021590.00</SB_ZCFZB_NCS><SB_ZCFZB_QMS>2621580.15#' \
  unbalanced.xml
run "$tool" show unbalanced.xml
expect_status 3 "show unbalanced"
expect_out "  FAILED       balance sheet: 资产总计 (line 15) equals 负债及所有者权益总计 (line 30)" "show unbalanced"
expect_out "期末数: 资产总计 2621680.15, 负债及所有者权益总计 2621580.15, difference 100.00" "show unbalanced"
expect_out "年初数: 2021590.00 = 2021590.00" "show unbalanced"
expect_every_item_shown unbalanced.xml "show unbalanced" 46

# Separators and dashes are amounts (a dash is zero, so the figures still add
# up); what is not a number is named.
edited_filing national.xml '
  s#<SB_ZCFZB_NCS>2021590.00</SB_ZCFZB_NCS><SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#<SB_ZCFZB_NCS>2,021,590.00</SB_ZCFZB_NCS><SB_ZCFZB_QMS>2,621,680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#
  s#其他业务利润</SB_SYB_XMMC><SB_SYB_BYS>0.00</SB_SYB_BYS><SB_SYB_BNLJ>0.00#其他业务利润</SB_SYB_XMMC><SB_SYB_BYS>0.00</SB_SYB_BYS><SB_SYB_BNLJ>-#
  s#<SB_ZCFZB_NCS>0.00</SB_ZCFZB_NCS>#<SB_ZCFZB_NCS>--</SB_ZCFZB_NCS>#
  s#<SB_SYB_BYS>0.00</SB_SYB_BYS><SB_SYB_BNLJ>12500.00#<SB_SYB_BYS>0.00</SB_SYB_BYS><SB_SYB_BNLJ>12,500.00#' amounts.xml
run "$tool" show amounts.xml
expect_status 0 "show separators and dashes"
expect_out "  ok           balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)" "separators in totals"
expect_out "期末数: 2,621,680.15 = 2621680.15" "separators in totals"
expect_every_item_shown amounts.xml "separators and dashes shown as written" 46
expect_aligned "separators and dashes"
edited_filing amounts.xml '
  s#<SB_SYB_BNLJ>12,500.00#<SB_SYB_BNLJ>12,50.00#
  s#<SB_ZCFZB_QMS>9500.00#<SB_ZCFZB_QMS>9500,00#
  s#<SB_SYB_BNLJ>-#<SB_SYB_BNLJ>—#' bad-amounts.xml
run "$tool" show bad-amounts.xml
expect_status 3 "show bad amounts"
expect_out "  FAILED       every amount is a number (a dash is an empty amount)" "bad amounts"
expect_out '利润表 加：投资收益 (line 10), 本年累计: "12,50.00" is not a number' "bad amounts"
expect_out '资产负债表 预付账款 (line 5), 期末数: "9500,00" is not a number' "bad amounts"
expect_no_out '"—"' "a long dash is an empty amount"
# The amounts check names two; the rules that use them say they were not compared.
[ "$(grep -cE '^ +(利润表|资产负债表) .*is not a number$' <<<"$out")" -eq 2 ] ||
  fail "bad amounts: not exactly two named"
expect_out '本年累计: not compared: 加：投资收益 (line 10) "12,50.00" is not a number' "bad amounts"

# A line number used twice in one list.
edited_filing national.xml 's#<SB_ZCFZB_LC>17</SB_ZCFZB_LC>#<SB_ZCFZB_LC>16</SB_ZCFZB_LC>#' twice.xml
run "$tool" show twice.xml
expect_status 3 "show line number twice"
expect_out "资产负债表: line 16 is used by 2 items: 短期借款, 应付账款" "line number twice"

# Names wider than the column wrap; the numbers stay in their columns.
long_name=一年内到期的非流动负债及其他应付款项目合计数其中包括长期应付款
edited_filing national.xml "s#<SB_ZCFZB_XMMC>其他应付款<#<SB_ZCFZB_XMMC>$long_name<#" long.xml
run "$tool" show long.xml
# 其他应付款 renamed: no rule accounts for it, so the sum it stands in is
# not compared; the rest is.
expect_status 0 "show long name"
expect_out "  not compared 资产负债表: 流动负债合计 = 短期借款 + 应付账款 + 预收账款 + 应付职工薪酬 + 应交税费 + 其他应付款" "show long name"
expect_aligned "show long name"
wrapped=$(sed -n '/^  21  一年内/,/^  22  /p' <<<"$out" | sed '$d')
[ "$(wc -l <<<"$wrapped")" -eq 2 ] || fail "long name: not on two lines: $wrapped"
first=$(head -n 1 <<<"$wrapped")
[[ $first =~ \ 9100\.00\ +6200\.00$ ]] || fail "long name: amounts not on the first line: $first"
pieces=$(sed -E 's/^ +[0-9]* +//; s/  .*//' <<<"$wrapped" | tr -d '\n')
[ "$pieces" = "$long_name" ] || fail "long name: wrapped pieces '$pieces'"
while IFS= read -r line; do
  name_part=$(sed -E 's/^ +[0-9]* +//; s/  .*//' <<<"$line")
  [ "$(line_width "$name_part")" -le 36 ] || fail "long name: piece wider than the column: $line"
done <<<"$wrapped"
grep -qE '^ {6}[^ ]+$' <<<"$(sed -n 2p <<<"$wrapped")" || fail "long name: continuation line: $wrapped"

# The page: UTF-8, self-contained, the same tables and checks.
run "$tool" show unbalanced.xml --html -o page.html
expect_status 3 "show --html, a check failed"
expect_out "page written to page.html; a check FAILED" "show --html"
iconv -f UTF-8 -t UTF-8 page.html >/dev/null 2>&1 || fail "show --html: the page is no UTF-8"
expect_file_has page.html '<meta charset="utf-8">' "show --html"
expect_file_has page.html "<td class=\"name\">负债及所有者权益总计</td><td class=\"amount\">2021590.00</td><td class=\"amount\">2621580.15</td>" "show --html"
expect_file_has page.html "difference 100.00" "show --html"
[ "$(grep -oE '<tr( class="failed" title="[^"]*")?><td class="line">' page.html | wc -l)" -eq 46 ] || fail "show --html: not 46 item rows"
! grep -qiE 'https?:|src=|@import|url\(' page.html || fail "show --html: the page refers to something outside"
edited_filing national.xml 's#<SB_SYB_XMMC>管理费用#<SB_SYB_XMMC>R\&amp;D \&lt;研发\&gt;#' escaped.xml
run "$tool" show escaped.xml --html -o escaped.html
# 管理费用 renamed: 营业利润 is not compared, the rest of the statement is.
expect_status 0 "show --html, names with markup characters"
expect_file_has escaped.html "<td class=\"name\">R&amp;D &lt;研发&gt;</td>" "show --html escapes names"

# Not a filing document, not well-formed, missing: a message, status 1 or 4,
# nothing else written.
printf '<DZSBB><SB_SYB_JG/>' >broken.xml
cp "$model/国税申报/hxsyb.rep" cells.xml
printf '<?xml version="1.0" encoding="GBK"?><DZSBB></DZSBB>' >empty-envelope.xml
: >empty.xml
for bad in broken.xml:"it is not well-formed XML" empty.xml:"it is not well-formed XML" \
  cells.xml:"it is not a filing document: its root element is not DZSBB" \
  empty-envelope.xml:"it is not a filing document: DZSBB holds no SB_SYB or SB_ZCFZB section"; do
  file=${bad%%:*} reason=${bad#*:}
  run "$tool" show "$file"
  expect_status 1 "show $file"
  expect_err "cannot show $file: $reason" "show $file"
  [ -z "$out" ] || fail "show $file wrote to stdout"
  run "$tool" show "$file" --html -o "$file.html"
  expect_status 1 "show --html $file"
  [ ! -e "$file.html" ] || fail "show --html wrote a page for $file"
done
run "$tool" show none.xml
expect_status 4 "show, missing file"
expect_err "cannot read none.xml" "show, missing file"
[ -z "$out" ] || fail "show of a missing file wrote to stdout"
run "$tool" show national.xml --html -o no-folder/page.html
expect_status 4 "show --html, page not writable"
expect_err "cannot write no-folder/page.html" "show --html, page not writable"

# Usage.
run "$tool" show
expect_status 2 "show without a file"
run "$tool" show national.xml --html
expect_status 2 "show --html without -o"
run "$tool" show national.xml -o page.html
expect_status 2 "show -o without --html"

# --show after writing: report-date, report, also for a UTF-8 document.
run "$tool" report-date "${login[@]}" -o shown.xml --show
expect_status 0 "report-date --show"
expect_out "GetReportDate succeeded: the filing document is in shown.xml" "report-date --show"
expect_every_item_shown shown.xml "report-date --show" 46
run "$tool" report-date --financial "${login[@]}" -o shown-utf8.xml --utf8 --show
expect_status 0 "report-date --utf8 --show"
expect_out "4.会计估计变更增加（或减少）利润总额" "report-date --utf8 --show"
expect_out "  ok           balance sheet: 资产总计 (line 15)" "report-date --utf8 --show"
run "$tool" report --type zcfzb --template "$model/财务申报/zcfzb.rep" "${login[@]}" -o zcfzb.xml --show
expect_status 0 "report --show"
expect_out "资产负债表 SB_ZCFZB" "report --show"
expect_no_out "利润表" "report --show"

# The report tool's figures do not balance: the document is written and
# shown, and the failed check gives the exit status.
edited_filing "$model/国税申报/hxzcfzb.rep" '/<row1>21<\/row1><col1>8</s#2621680.15#2621680.00#' \
  "$model/国税申报/hxzcfzb.rep.new"
mv "$model/国税申报/hxzcfzb.rep.new" "$model/国税申报/hxzcfzb.rep"
run "$tool" report-date "${login[@]}" -o unbalanced-export.xml --show
expect_status 3 "report-date --show, figures do not balance"
expect_out "GetReportDate succeeded" "report-date --show, figures do not balance"
expect_out "difference 0.15" "report-date --show, figures do not balance"
run "$tool" report --type zcfzb --template "$model/none.rep" "${login[@]}" -o failed.xml --show
expect_status 1 "report --show, the export failed"
expect_no_out "SB_ZCFZB" "report --show shows nothing when the export failed"
