# Helpers for the show groups: filing documents made from the demo's, and
# readings of show's tables that do not use the tool's own code.

# Writes UTF-8 text from stdin to the file $1 as GBK.
gbk_file() { iconv -f UTF-8 -t GBK >"$1"; }

# The file $1 (GBK) with the sed script $2 applied, written to $3 as GBK.
edited_filing() { iconv -f GBK -t UTF-8 "$1" | sed -e "$2" | gbk_file "$3"; }

# Every item of the GBK filing document $1 as "line|name|amount|amount".
document_items() {
  iconv -f GBK -t UTF-8 "$1" | sed 's#</SB_[A-Z]*_XM>#&\n#g' | sed -nE \
    's#.*<SB_[A-Z]+_LC>([^<]*)</SB_[A-Z]+_LC><SB_[A-Z]+_XMMC>([^<]*)</SB_[A-Z]+_XMMC><SB_[A-Z]+_[A-Z]+>([^<]*)</SB_[A-Z]+_[A-Z]+><SB_[A-Z]+_[A-Z]+>([^<]*)</SB_[A-Z]+_[A-Z]+></SB_[A-Z]+_XM>$#\1|\2|\3|\4#p'
}

# The rows of show's tables in $out as "line|name|amount|amount": the
# cells are at least two blanks apart.
shown_rows() { sed -E 's/^ +//; s/ {2,}/|/g' <<<"$out"; }

# Checks that every item of the document $1 is a row of show's output.
expect_every_item_shown() {
  local items item rows count=0
  items=$(document_items "$1")
  rows=$(shown_rows)
  while IFS= read -r item; do
    count=$((count + 1))
    grep -qxF -- "$item" <<<"$rows" || fail "$2: no row $item"
  done <<<"$items"
  [ "$count" -ge "${3:-1}" ] || fail "$2: only $count items in $1"
}

# Display width of a UTF-8 line, as glibc's wcwidth counts it (CJK wide).
line_width() { printf '%s' "$1" | LC_ALL=C.UTF-8 wc -L; }

# Checks that in every table of $out each row holding an amount ends in the
# same column as the table's title row (amounts are right-aligned in their
# columns, so a shifted cell shows here).
expect_aligned() {
  local line width=-1
  while IFS= read -r line; do
    if [[ $line == *行次* ]]; then width=$(line_width "$line"); continue; fi
    [ -z "$line" ] && width=-1
    [ "$width" -ge 0 ] && [[ $line =~ [0-9]$ ]] || continue
    [ "$(line_width "$line")" -eq "$width" ] || fail "$1: row not aligned ($width columns): $line"
  done <<<"$out"
}

# The filing of the demo's national-tax templates, and its financial one.
make_demo_filings() {
  "$tool" report-date "${login[@]}" -o national.xml >/dev/null || fail "report-date for show"
  "$tool" report-date --financial "${login[@]}" -o financial.xml >/dev/null ||
    fail "report-date --financial for show"
}

# The byte offset at which the file $1 first holds the bytes $2 (a grep -P
# pattern, '\x81\x7F').
byte_offset() { LC_ALL=C grep -obUaP -m 1 "$2" "$1" | head -n 1 | cut -d: -f1; }

# The documents show must judge right, made in the current folder from the
# demo's national filing $1 (GBK), and in $odd_documents a line for each
# thing show must say of one: "file|exit status|text", the text on stderr
# after "cannot show FILE: " for status 1, else on stdout.
make_odd_documents() {
  local national=$1 utf8 section
  odd_documents=
  odd() { odd_documents+="$1|$2|$3"$'\n'; }
  utf8=$(iconv -f GBK -t UTF-8 "$national")
  # Decoding: bytes that are not what the document declares.
  LC_ALL=C sed -E 's/^<\?xml[^?]*\?>//' "$national" >no-declaration.xml
  odd no-declaration.xml 1 "it declares no encoding, so it must be UTF-8, but byte $(byte_offset no-declaration.xml '\xB3\xC9') (0xB3 0xC9 0xB9 0xA6) is not UTF-8"
  { printf '\xEF\xBB\xBF'; cat "$national"; } >bom-gbk.xml
  odd bom-gbk.xml 1 'it starts with a UTF-8 byte-order mark (byte 0) but declares encoding "GBK" (byte 33)'
  LC_ALL=C sed 's#</SB_ZCFZB_XMMC>#\x81\x7F&#' "$national" >bad-gbk.xml
  odd bad-gbk.xml 1 "byte $(byte_offset bad-gbk.xml '\x81\x7F') (0x81 0x7F 0x3C 0x2F) is not GBK, which it declares"
  sed 's/encoding="GBK"/encoding="UTF-8"/' <<<"$utf8" | LC_ALL=C sed 's#</SB_ZCFZB_XMMC>#\xFF&#' >bad-utf8.xml
  odd bad-utf8.xml 1 "byte $(byte_offset bad-utf8.xml '\xFF') (0xFF 0x3C 0x2F 0x53) is not UTF-8, which it declares"
  printf '%s' "$utf8" >utf8-declared-gbk.xml
  odd utf8-declared-gbk.xml 1 "it declares encoding \"GBK\" (byte 30) but its text is UTF-8, from byte $(byte_offset utf8-declared-gbk.xml '\xE6\x88\x90')"
  LC_ALL=C sed 's/encoding="GBK"/encoding="Big5"/' "$national" >big5.xml
  odd big5.xml 1 'it declares encoding "Big5" (byte 30), which show does not read: filing documents are GBK (or UTF-8)'
  sed 's/encoding="GBK"/encoding="UTF-8"/' <<<"$utf8" | LC_ALL=C sed 's#</SB_ZCFZB_XMMC>#\xEA\xB0\x80&#' >hangul.xml
  odd hangul.xml 1 "the character U+AC00 at byte $(byte_offset hangul.xml '\xEA\xB0\x80') has no GBK form; show reads filing documents as GBK"
  LC_ALL=C sed 's#</SB_ZCFZB_XMMC>#\&\#44032;&#' "$national" >reference.xml
  odd reference.xml 1 "the character reference at byte $(byte_offset reference.xml '&#44032;') is to U+AC00, which has no GBK form; show reads filing documents as GBK"
  LC_ALL=C sed 's/encoding="GBK"/encoding="GB18030"/' "$national" >gb18030.xml
  odd gb18030.xml 0 "  ok           balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)"
  LC_ALL=C sed 's#</SB_ZCFZB_XMMC>#\x81\x39\xEE\x39&#' gb18030.xml >gb18030-four-byte.xml
  odd gb18030-four-byte.xml 1 "the character U+3400 at byte $(byte_offset gb18030-four-byte.xml '\x81\x39\xEE\x39') has no GBK form; show reads filing documents as GBK"

  # Checks: each balance sheet on its own, totals that cannot be compared.
  section=$(grep -o '<SB_ZCFZB>.*</SB_ZCFZB>' <<<"$utf8" | sed 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#<SB_ZCFZB_QMS>2621680.25</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#')
  sed "s#</DZSBB>#$section&#" <<<"$utf8" | gbk_file two-sheets.xml
  odd two-sheets.xml 3 "  ok           balance sheet #1: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)"
  odd two-sheets.xml 3 "  FAILED       balance sheet #2: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)"
  odd two-sheets.xml 3 "期末数: 资产总计 2621680.15, 负债和所有者权益总计 2621680.25, difference -0.10"
  odd two-sheets.xml 3 "资产负债表 #2 SB_ZCFZB"
  odd two-sheets.xml 3 "  ok           line numbers are unique within each list"
  sed 's#</SB_ZCFZB_MXXX>#<SB_ZCFZB_XM><SB_ZCFZB_LC>31</SB_ZCFZB_LC><SB_ZCFZB_XMMC>资产总计</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>1.00</SB_ZCFZB_NCS><SB_ZCFZB_QMS>1.00</SB_ZCFZB_QMS></SB_ZCFZB_XM>&#' <<<"$utf8" | gbk_file total-twice.xml
  odd total-twice.xml 3 "the total of assets is there 2 times, which one counts is not known: 资产总计 (line 15), 资产总计 (line 31)"
  sed -e 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#<SB_ZCFZB_QMS></SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#' \
    -e 's#负债和所有者权益总计</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>2021590.00</SB_ZCFZB_NCS>#负债和所有者权益总计</SB_ZCFZB_XMMC>#' <<<"$utf8" | gbk_file empty-totals.xml
  odd empty-totals.xml 3 "年初数: not compared: 负债和所有者权益总计 (line 30) has no amount"
  odd empty-totals.xml 3 "期末数: not compared: 资产总计 (line 15) is empty"
  sed 's#负债和所有者权益总计#负债与权益#' <<<"$utf8" | gbk_file no-total.xml
  odd no-total.xml 3 "  FAILED       balance sheet: total assets equal total liabilities and owners' equity"
  odd no-total.xml 3 "no item is the total of liabilities and owners' equity (负债和所有者权益总计)"
  sed 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#<SB_ZCFZB_QMS>　2621680.15　</SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#' <<<"$utf8" | gbk_file ideographic-space.xml
  odd ideographic-space.xml 0 "  ok           balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)"
  odd ideographic-space.xml 0 "  ok           every amount is a number"

  # A million references to an entity: no filing document has a DTD.
  { printf '<?xml version="1.0"?><!DOCTYPE DZSBB [<!ENTITY a "x">]><DZSBB><SB_SYB><SB_SYB_MXXX><SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>'
    yes '&a;' | head -n 1100000 | tr -d '\n'
    printf '</SB_SYB_XMMC></SB_SYB_XM></SB_SYB_MXXX></SB_SYB></DZSBB>'; } >entities.xml
  odd entities.xml 1 "it has a document type declaration (byte 21): filing documents have none"
}

# Runs "$@" FILE on each odd document, once for its lines in a row, and
# checks the exit status and what it says; nothing may be shown as "?".
check_odd_documents() {
  local file expected text shown=
  while IFS='|' read -r file expected text; do
    [ -n "$file" ] || continue
    if [ "$file" != "$shown" ]; then
      "$@" "$file"
      shown=$file
      expect_status "$expected" "show $file"
      ! grep -qF '?' <<<"$out$err" || fail "show $file printed a \"?\""
      [ "$expected" -ne 1 ] || [ -z "$out" ] || fail "show $file wrote to stdout"
    fi
    if [ "$expected" -eq 1 ]; then
      expect_err "cannot show $file: $text" "show $file"
    else
      expect_out "$text" "show $file"
    fi
  done <<<"$odd_documents"
}
