# Helpers for the show groups: filing documents made from the demo's, and
# readings of show's tables that do not use the tool's own code.
show_helpers=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

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
shown_rows() { sed -E 's/^\*? +//; s/ {2,}/|/g' <<<"$out"; }

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
  odd total-twice.xml 5 "the total of assets is there 2 times, which one counts is not known: 资产总计 (line 15), 资产总计 (line 31)"
  sed -e 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#<SB_ZCFZB_QMS></SB_ZCFZB_QMS></SB_ZCFZB_XM><SB_ZCFZB_XM><SB_ZCFZB_LC>16#' \
    -e 's#负债和所有者权益总计</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>2021590.00</SB_ZCFZB_NCS>#负债和所有者权益总计</SB_ZCFZB_XMMC>#' <<<"$utf8" | gbk_file empty-totals.xml
  odd empty-totals.xml 3 "年初数: not compared: 负债和所有者权益总计 (line 30) has no amount"
  odd empty-totals.xml 3 "期末数: 资产总计 , 负债和所有者权益总计 2621680.15, difference -2621680.15"
  sed 's#负债和所有者权益总计#负债与权益#' <<<"$utf8" | gbk_file no-total.xml
  odd no-total.xml 5 "  not checked  balance sheet: total assets equal total liabilities and owners' equity"
  odd no-total.xml 5 "no item is the total of liabilities and owners' equity (负债和所有者权益总计)"
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

# The documents and rules files of the arithmetic checks, made in the current
# folder, which already holds the demo's four documents (national.xml,
# financial.xml, zcfzb.xml, syb.xml); in $rule_cases a line for each thing
# show must say: "file|options|status|kind|text", kind "out" or "err" (a
# line of stdout or stderr), "none" (in neither), "failed" (how many checks
# fail). Statements of every published format, in the shapes templates print
# them, are checked in show_statement_variants_test.cpp.
make_rule_documents() {
  local file national
  rule_cases=
  case_() { rule_cases+="$1|$2|$3|$4|$5"$'\n'; }

  # The demo's documents add up under the shipped rules.
  for file in national.xml financial.xml zcfzb.xml syb.xml; do
    case_ $file "" 0 failed 0
    case_ $file "" 0 none "not checked"
  done
  case_ national.xml "" 0 out "  note         利润表: checked as 财会〔2000〕25号 企业会计制度 利润表"
  case_ national.xml "" 0 out "  ok           利润表: 营业利润 = 主营业务利润 + 其他业务利润 - 营业费用 - 管理费用 - 财务费用"
  case_ national.xml "" 0 out "  ok           资产负债表: 固定资产账面价值 = 固定资产原价 - 累计折旧"
  case_ national.xml "" 0 out "  note         retained earnings beside the year's net profit (distributions and reserves make them differ rightly)"
  case_ national.xml "" 0 out "资产负债表 未分配利润 (line 28): 期末数 781554.55 - 年初数 172489.60 = 609064.95"
  case_ national.xml "" 0 out "利润表 五、净利润 (line 16): 本年累计 609064.95"
  case_ financial.xml "" 0 out "  ok           利润表: 营业利润 = 营业收入 - 营业成本 - 税金及附加 - 销售费用 - 管理费用 - 财务费用 + 投资收益"
  case_ zcfzb.xml "" 0 out "  ok           资产负债表: 负债和所有者权益总计 = 负债合计 + 所有者权益合计"
  # The demo's single statement: the year beside the year before, so labelled.
  case_ syb.xml "" 0 out "  ok           利润表 补充资料: 营业利润 = 营业收入 - 营业成本 - 税金及附加 - 销售费用 - 管理费用 - 财务费用 + 投资收益"
  case_ syb.xml "" 0 out "行次  项目              本年累计      上年数"
  case_ syb.xml "" 0 out "   1  一、营业收入    5127450.00  4683920.00"

  # The demo's figures as they were: investment income counted twice.
  national=$(iconv -f GBK -t UTF-8 national.xml)
  sed 's#<SB_SYB_BNLJ>624221.00#<SB_SYB_BNLJ>636721.00#' <<<"$national" | gbk_file twice-counted.xml
  case_ twice-counted.xml "" 3 out "本年累计: 营业利润 636721.00, its lines give 1398455.30 + 0.00 - 301880.00 - 452600.00 - 19754.30 = 624221.00, difference 12500.00"
  case_ twice-counted.xml "" 3 failed 2
  case_ twice-counted.xml "" 3 out "*    9  三、营业利润         59701.70   636721.00"
  case_ twice-counted.xml "" 3 out "    15  减：所得税            2925.08    32056.05"
  case_ twice-counted.xml "" 3 out "* lines 4, 5, 6, 7, 8, 9: FAILED 利润表: 营业利润 = 主营业务利润 + 其他业务利润 - 营业费用 - 管理费用 - 财务费用"

  # A line no rule accounts for stops only the sums it stands in; a layout
  # no rules fit, a balance sheet of another kind, an empty statement, one
  # of dashes only.
  sed 's#<SB_ZCFZB_XMMC>无形资产<#<SB_ZCFZB_XMMC>商标权<#' <<<"$national" | gbk_file unknown-line.xml
  case_ unknown-line.xml "" 0 out "  not compared 资产负债表: 非流动资产合计 = 长期股权投资 + 固定资产账面价值 + 无形资产"
  case_ unknown-line.xml "" 0 out "期末数: not compared: 商标权 (line 13) carries 33000.00, which the rule does not account for"
  case_ unknown-line.xml "" 0 out "  ok           资产负债表: 资产总计 = 流动资产合计 + 非流动资产合计"
  sed -e '/<SB_SYB>/,/<\/SB_SYB>/s#利润#结余#g' -e 's#负债和所有者权益总计#负债和净资产总计#' <<<"$national" |
    gbk_file other-kinds.xml
  case_ other-kinds.xml "" 5 out "  not checked  利润表: layout not recognised: not checked (see --rules)"
  case_ other-kinds.xml "" 5 out "  not checked  balance sheet: total assets equal total liabilities and owners' equity"
  case_ other-kinds.xml "" 5 out "负债和净资产总计 (line 30) is the total of a balance sheet of another kind (民间非营利组织, 事业单位), which these checks do not know"
  case_ other-kinds.xml "" 5 failed 0
  printf '<DZSBB><SB_SYB></SB_SYB></DZSBB>' >empty-section.xml
  case_ empty-section.xml "" 3 out "  FAILED       利润表: the income statement holds no amounts"
  case_ empty-section.xml "" 3 out "it has no items"
  sed -E 's#<(SB_ZCFZB_(NCS|QMS))>[^<]*<#<\1>-<#g' <<<"$national" | grep -o '<SB_ZCFZB>.*</SB_ZCFZB>' |
    sed 's#.*#<?xml version="1.0" encoding="UTF-8"?><DZSBB>&</DZSBB>#' >dashes.xml
  case_ dashes.xml "" 3 out "  FAILED       资产负债表: the balance sheet holds no amounts"
  case_ dashes.xml "" 3 out "every amount is empty or a dash"
  # Every amount 0.00, as the library writes blank cells: never a pass.
  sed -E 's#<(SB_[A-Z]+_(BYS|BNLJ|NCS|QMS))>[^<]*<#<\1>0.00<#g' <<<"$national" | gbk_file all-zero.xml
  case_ all-zero.xml "" 5 out "  all zero     利润表: every amount is zero: not checked"
  case_ all-zero.xml "" 5 out "every amount is zero: a period without business, or the wrong account, book, server or period"
  case_ all-zero.xml "" 5 failed 0

  # A name two lines share: the shipped rule cannot tell them apart; a rules
  # file of the office's own names one by its line.
  sed 's#</SB_ZCFZB_MXXX>#<SB_ZCFZB_XM><SB_SYB_LC>31</SB_SYB_LC></SB_ZCFZB_XM>&#; s#<SB_SYB_LC>31</SB_SYB_LC>#<SB_ZCFZB_LC>31</SB_ZCFZB_LC><SB_ZCFZB_XMMC>存货</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>1.00</SB_ZCFZB_NCS><SB_ZCFZB_QMS>2.00</SB_ZCFZB_QMS>#' <<<"$national" |
    gbk_file same-name.xml
  case_ same-name.xml "" 0 out "not compared: 2 lines are 存货 (lines 7, 31), which one counts is not known: name it by its line, #N, in a rules file (see --rules)"
  printf '%s\n' '// Our template: the 存货 of line 7 is the one in the sum.' '[资产负债表]' \
    '流动资产合计 = 货币资金 + 短期投资 + 应收票据 + 应收账款 + 预付账款 + 其他应收款 + #7' >office.rules
  case_ same-name.xml "--rules office.rules" 0 out "  ok           资产负债表: 流动资产合计 = 货币资金 + 短期投资 + 应收票据 + 应收账款 + 预付账款 + 其他应收款 + #7"
  case_ same-name.xml "--rules office.rules" 0 out "  note         资产负债表: checked as 申报模板 资产负债表（国税申报 hxzcfzb.rep, 财务申报 zcfzb.rep）, office.rules [资产负债表]"
  sed 's/ + #7$/ - #7/' office.rules >swapped.rules
  case_ same-name.xml "--rules swapped.rules" 3 out "  FAILED       资产负债表: 流动资产合计 = 货币资金 + 短期投资 + 应收票据 + 应收账款 + 预付账款 + 其他应收款 - #7"
  case_ same-name.xml "--rules swapped.rules" 3 failed 1

  # Rules files that do not read: exit status 2, the file, line and column.
  bad_rules() { printf '%s\n' "${@:3}" >"$1"; case_ national.xml "--rules $1" 2 err "the rules file does not read: $1:$2"; }
  bad_rules unknown.rules "3:7: no shipped layout of the 利润表 has an item \"营业收益\"; name its line as #N instead" \
    '// a typing error' '[损益表]' '净利润 = 营业收益 - 所得税'
  bad_rules no-equals.rules "2:10: the item a rule checks comes first, then \"=\"" '[损益表]' '净利润 利润总额 - 所得税'
  bad_rules two-equals.rules "2:12: a rule has one \"=\"" '[损益表]' '净利润 = 利润总额 = 所得税'
  bad_rules missing-term.rules "2:14: an item is missing here" '[损益表]' '净利润 = 利润总额 - + 所得税'
  bad_rules section.rules "1:1: a section is [利润表] or [资产负债表]" '[损益]' '净利润 = 利润总额 - 所得税'
  bad_rules no-section.rules "1:1: a rule comes after its section, [利润表] or [资产负债表]" '净利润 = 利润总额 - 所得税'
  bad_rules line.rules "2:3: a line number is \"#\" and digits, as #12" '[资产负债表]' '#1a = 货币资金'
  # Rules that could never fail.
  bad_rules unclosed.rules "2:14: this bracket is not closed" '[损益表]' '营业利润 = 主营业务利润（ + 其他业务利润 - 营业费用'
  bad_rules same-sides.rules "2:7: both sides of the rule are the same item, so it cannot fail" '[损益表]' '净利润 = 净利润'
  bad_rules twice.rules "2:20: the rule names 所得税 twice" '[损益表]' '净利润 = 利润总额 - 所得税 + 所得税'
  bad_rules shared.rules "2:7: the sides of the rule share every item, so it checks nothing" '[损益表]' '净利润 = 净利润 - 净利润'
  printf '[损益表]\n净利润 = 利润总额 - \xFF所得税\n' >latin.rules
  case_ national.xml "--rules latin.rules" 2 err "the rules file does not read: latin.rules:2:14: this is not UTF-8, which rule files are"
  case_ national.xml "--rules none.rules" 4 err "cannot read the rules file none.rules"
}

# Runs "$@" FILE OPTIONS for each case of $rule_cases, once for its lines in
# a row, and checks the exit status and what it says.
check_rule_documents() {
  local file options expected kind text shown= count
  while IFS='|' read -r file options expected kind text; do
    [ -n "$file" ] || continue
    if [ "$file|$options" != "$shown" ]; then
      # shellcheck disable=SC2086
      "$@" "$file" $options
      shown="$file|$options"
      expect_status "$expected" "show $file $options"
    fi
    case $kind in
      out) expect_out "$text" "show $file $options" ;;
      err) expect_err "$text" "show $file $options" ;;
      none) expect_no_out "$text" "show $file $options" ;;
      marked)  # "N|start of name": the row a failed rule names
        grep '^\*' <<<"$out" | sed -E 's/^\* +//; s/ {2,}/|/g' | grep -qF -- "$text" ||
          fail "show $file $options: no row $text marked" ;;
      failed)
        count=$(grep -c '^  FAILED ' <<<"$out")
        [ "$count" -eq "$text" ] || fail "show $file $options: $count checks failed, expected $text" ;;
    esac
  done <<<"$rule_cases"
}
