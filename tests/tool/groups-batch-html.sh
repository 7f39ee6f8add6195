# batch --html in a real browser: summary.html and the document pages it
# links load in headless Chromium without a console message, failures first.
. "$here/batch-helpers.sh"
. "$here/chromium.sh"
batch_templates "$model"
batch_accounts >accounts.csv
run env "${batch_env[@]}" "$tool" batch accounts.csv -o out --period 11 --server demo-server --html
expect_status 1 "batch --html"

chromium_on_page "$work/out/summary.html" --dump-dom >dom.html
expect_clean_load "summary.html"
rows=$(grep -oE '<tr class="(problem|passed)"><td>[0-9]*</td>' dom.html | sed -E 's/<tr class="([a-z]+)"><td>([0-9]*)<.*/\1 \2/' | tr '\n' ',')
[ "$rows" = "problem ,problem 105,problem 101,problem 102,problem 103,passed 101,passed 104,passed 106," ] ||
  fail "the browser's summary holds the rows $rows"
links=$(grep -oE 'href="[^"]+"' dom.html | sed -E 's/href="(.*)"/\1/')
[ "$(wc -l <<<"$links")" -eq 4 ] || fail "the summary links $(wc -l <<<"$links") pages, not 4"
for link in $links; do
  [ -f "out/$link" ] || fail "summary.html links $link, which is not there"
done
chromium_on_page "$work/out/103-2026-11.html" --dump-dom >document.html
expect_clean_load "103-2026-11.html"
grep -qF '<li class="failed"><span class="outcome">FAILED</span>balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)' document.html ||
  fail "the page of 103 lacks its failed check"

# The same batch in Chinese: the page says it is Chinese, and the browser
# reads its headings, result words and totals as the characters they are.
run env LANG=zh_CN.UTF-8 "${batch_env[@]}" "$tool" batch accounts.csv -o out-zh --period 11 \
  --server demo-server --html
expect_status 1 "batch --html in Chinese"
chromium_on_page "$work/out-zh/summary.html" --dump-dom >dom-zh.html
expect_clean_load "the Chinese summary.html"
grep -qF '<html lang="zh-CN">' dom-zh.html || fail "the Chinese summary page is not marked zh-CN"
headings=$(grep -oE '<th>[^<]*</th>' dom-zh.html | sed -E 's#</?th>##g' | tr '\n' ' ')
[ "$headings" = "账套 年度 所属期 结果 秒数 校验 提示信息 申报文件 " ] ||
  fail "the browser's Chinese summary has the headings $headings"
for text in '<td class="result">错误行</td>' '<td class="result">失败</td>' \
  '<td class="checks">通过，按 财会〔2000〕25号 企业会计制度 利润表, 申报模板' '<td class="checks">未通过：' \
  '共 8 行：3 行已生成并通过校验，1 行校验未通过，1 行导出失败，3 行有错误'; do
  grep -qF "$text" dom-zh.html || fail "the browser's Chinese summary lacks $text"
done
# The English page keeps its English headings.
grep -qF '<th>account</th><th>year</th><th>period</th><th>result</th>' dom.html ||
  fail "the English summary lost its headings"
