# show --html in a real browser: headless Chromium loads the page without a
# console message (a refused outside resource would be one), renders it to a
# PNG and prints it on A4.
. "$here/show-helpers.sh"
. "$here/chromium.sh"

make_demo_filings
edited_filing national.xml 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#<SB_ZCFZB_QMS>2621580.15</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#' \
  unbalanced.xml
run "$tool" show unbalanced.xml --html -o page.html
expect_status 3 "show --html"

chromium_on_page "$work/page.html" --screenshot="$work/page.png" --window-size=1000,1400
[ $? -eq 0 ] || fail "chromium could not take the screenshot: $(tail -n 5 "$work/chromium.log")"
expect_clean_load "screenshot"
[ "$(head -c 8 page.png | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "the screenshot is no PNG"
[ "$(wc -c <page.png)" -gt 20000 ] || fail "the screenshot is nearly empty: $(wc -c <page.png) bytes"

# What the browser made of the page: the tables and checks are all there.
chromium_on_page "$work/page.html" --dump-dom >dom.html
expect_clean_load "dump-dom"
[ "$(grep -o '<td class="line">' dom.html | wc -l)" -eq 46 ] || fail "the browser's page lacks item rows"
# The rule of the total that no longer adds up fails too: its three lines
# are highlighted.
[ "$(grep -o '<tr class="failed"><td class="line">' dom.html | wc -l)" -eq 3 ] ||
  fail "the browser's page does not highlight the three lines of the failed rule"
grep -qF '<li class="failed"><span class="outcome">FAILED</span>资产负债表: 负债和所有者权益总计 = 负债合计 + 所有者权益合计' dom.html ||
  fail "the browser's page lacks the failed rule"
grep -qF '<p class="summary failed"><a href="#checks">2 checks failed</a>.</p>' dom.html ||
  fail "the browser's page lacks the summary"
grep -qF '<li class="failed"><span class="outcome">FAILED</span>balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)' dom.html ||
  fail "the browser's page lacks the failed check"
grep -qF '<caption>' dom.html && fail "a national filing has no supplementary list"

# Printed: A4 pages.
chromium_on_page "$work/page.html" --no-pdf-header-footer --print-to-pdf="$work/page.pdf"
expect_clean_load "print"
head -c 5 page.pdf | grep -qF '%PDF-' || fail "chromium printed no PDF"
sizes=$(grep -a -o 'MediaBox \[[^]]*\]' page.pdf | sort -u)
[ "$sizes" = "MediaBox [0 0 594.95996 841.91998]" ] || fail "the printed pages are not A4: $sizes"
