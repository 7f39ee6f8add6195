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
[ "$(grep -oE '<tr class="failed" title="[^"]+"><td class="line">' dom.html | wc -l)" -eq 3 ] ||
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

# The page in Chinese: marked as such, and the browser renders its words.
LANG=zh_CN.UTF-8 run "$tool" show unbalanced.xml --html -o page-zh.html
expect_status 3 "show --html in Chinese"
expect_out "网页已写入 page-zh.html；有校验未通过" "show --html in Chinese"
expect_file_has page-zh.html '<html lang="zh-CN">' "the Chinese page"
chromium_on_page "$work/page-zh.html" --dump-dom >dom-zh.html
expect_clean_load "dump-dom, Chinese"
for text in '<h2>校验</h2>' '<p class="summary failed"><a href="#checks">2 项校验未通过</a>。</p>' \
  '<li class="failed"><span class="outcome">未通过</span>资产负债表：资产总计（行次 15）等于负债和所有者权益总计（行次 30）' \
  '<li>期末数：资产总计 2621680.15，负债和所有者权益总计 2621580.15，差额 100.00</li>' \
  '<li class="passed"><span class="outcome">正常</span>每张表内的行次不重复</li>' \
  '<th class="line">行次</th><th class="name">项目</th>'; do
  grep -qF -- "$text" dom-zh.html || fail "the browser's Chinese page lacks $text"
done
for text in 'Checks' 'failed</a>' '(line ' 'balance sheet'; do
  grep -qF -- "$text" dom-zh.html && fail "the browser's Chinese page has English: $text"
done
[ "$(grep -o '<td class="line">' dom-zh.html | wc -l)" -eq 46 ] || fail "the Chinese page lacks item rows"
chromium_on_page "$work/page-zh.html" --screenshot="$work/page-zh.png" --window-size=1000,1400 ||
  fail "chromium could not take the Chinese screenshot: $(tail -n 5 "$work/chromium.log")"
expect_clean_load "screenshot, Chinese"
# The screenshot's pixels: white paper with text on it, so some dark ones.
dark=$(python3 - "$work/page-zh.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
at, idat = 8, b""
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    body = data[at + 8:at + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
    elif kind == b"IDAT":
        idat += body
    at += 12 + length
assert depth == 8 and colour in (2, 6)
step = 3 if colour == 2 else 4
raw, stride = zlib.decompress(idat), width * step
previous, dark, at = bytearray(stride), 0, 0
for _ in range(height):
    kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
    at += 1 + stride
    for i in range(stride):
        a = line[i - step] if i >= step else 0
        b = previous[i]
        c = previous[i - step] if i >= step else 0
        if kind == 1: line[i] = (line[i] + a) & 255
        elif kind == 2: line[i] = (line[i] + b) & 255
        elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    dark += sum(1 for i in range(0, stride, step) if sum(line[i:i + 3]) < 300)
    previous = line
print(dark * 1000 // (width * height))
PY
)
[ "${dark:-0}" -ge 5 ] || fail "the Chinese screenshot is nearly blank: ${dark:-?} per mille dark pixels"
