# vokqm7.exe show: tables, checks and the page on the Windows host, which
# reads the document's bytes itself and hands MSXML the text.
. "$here/../tool/show-helpers.sh"

wine_run vokqm7.exe report-date "${login[@]}" -o national.xml --show
expect_status 0 "report-date --show"
expect_out "GetReportDate succeeded: the filing document is in national.xml" "report-date --show"
expect_every_item_shown bin/national.xml "report-date --show" 46
expect_aligned "report-date --show"
expect_out "所属期：2026年11月  结果：0 成功" "report-date --show"
expect_out "  ok           balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)" "report-date --show"

wine_run vokqm7.exe report-date --financial "${login[@]}" -o financial.xml --utf8
wine_run vokqm7.exe show financial.xml
expect_status 0 "show of a UTF-8 document"
expect_out "补充资料" "show financial"
expect_out "4.会计估计变更增加（或减少）利润总额  -4200.00" "show financial"

# A GBK document as an editor saves it, one element to a line: GBK text
# after line breaks is what Wine's MSXML can fail to load from a file, which
# is why show reads the bytes and parses the text.
iconv -f GBK -t UTF-8 bin/national.xml |
  sed -e 's#<SB_ZCFZB_BZDW></SB_ZCFZB_BZDW>#<SB_ZCFZB_BZDW>北京华信商贸有限公司：某部门</SB_ZCFZB_BZDW>#' \
    -e 's#><#>\n<#g' | gbk_file bin/lines.xml
wine_run vokqm7.exe show lines.xml
expect_status 0 "show of a document with line breaks"
expect_out "编制单位：北京华信商贸有限公司：某部门" "show of a document with line breaks"
expect_every_item_shown bin/national.xml "show of a document with line breaks" 46

edited_filing bin/national.xml 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#<SB_ZCFZB_QMS>2,621,680.10</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#' \
  bin/unbalanced.xml
wine_run vokqm7.exe show unbalanced.xml
expect_status 3 "show unbalanced"
expect_out "期末数: 资产总计 2621680.15, 负债和所有者权益总计 2,621,680.10, difference 0.05" "show unbalanced"

wine_run vokqm7.exe show unbalanced.xml --html -o page.html
expect_status 3 "show --html"
expect_out "page written to page.html; a check FAILED" "show --html"
iconv -f UTF-8 -t UTF-8 bin/page.html >/dev/null 2>&1 || fail "show --html: the page is no UTF-8"
[ "$(grep -o '<td class="line">' bin/page.html | wc -l)" -eq 46 ] || fail "show --html: not 46 item rows"
expect_file_has bin/page.html "difference 0.05" "show --html"

# The documents show must refuse or fail, as natively. Wine 8 has no
# GB18030 code page: there show refuses GB18030 documents and says why.
pushd bin >/dev/null || exit 1
make_odd_documents national.xml
popd >/dev/null || exit 1
wine_run vokqm7.exe show gb18030.xml
if [ "$status" -eq 1 ] && grep -qF 'which this system cannot decode' <<<"$err"; then
  echo "note: this Wine has no GB18030 code page; show refuses GB18030 documents"
  refused='it declares encoding "GB18030" (byte 30), which this system cannot decode'
  odd_documents=$(sed -E "s/^(gb18030(-four-byte)?\.xml)\|.*$/\1|1|$refused/" <<<"$odd_documents" | uniq)
fi
check_odd_documents wine_run vokqm7.exe show

printf '<DZSBB><SB_SYB>' >bin/broken.xml
wine_run vokqm7.exe show broken.xml
expect_status 1 "show, not well-formed"
expect_err "cannot show broken.xml: it is not well-formed XML" "show, not well-formed"
[ -z "$out" ] || fail "show of a broken file wrote to stdout"
wine_run vokqm7.exe show none.xml
expect_status 4 "show, missing file"
expect_err "cannot read none.xml" "show, missing file"

# The arithmetic checks on the same documents as natively: the demo's four,
# one broken, and the rest of the table (the generated statements of every
# format are checked natively, in-process: the checks hold no platform code).
windows_model="Z:${model//\//\\}"
wine_run vokqm7.exe report --type zcfzb --template "$windows_model\\财务申报\\zcfzb.rep" "${login[@]}" -o zcfzb.xml
expect_status 0 "report --type zcfzb"
wine_run vokqm7.exe report --type syb --template "$windows_model\\财务申报\\lrbsn.rep" "${login[@]}" -o syb.xml
expect_status 0 "report --type syb"
pushd bin >/dev/null || exit 1
make_rule_documents
popd >/dev/null || exit 1
check_rule_documents wine_run vokqm7.exe show
