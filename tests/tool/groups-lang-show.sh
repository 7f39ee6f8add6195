# show, trace and explain in Chinese under LANG=zh_CN.UTF-8 and unchanged
# English under LANG=C: each case runs in both, and the English is the same
# bytes as with --lang en. Tables stay aligned in display columns.
. "$here/show-helpers.sh"
make_demo_filings
edited_filing national.xml 's#<SB_ZCFZB_QMS>2621680.15</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#<SB_ZCFZB_QMS>2621580.15</SB_ZCFZB_QMS></SB_ZCFZB_XM></SB_ZCFZB_MXXX>#' \
  unbalanced.xml
edited_filing national.xml '/<SB_SYB>/,/<\/SB_SYB>/s#利润#结余#g; s#<SB_ZCFZB_XMMC>无形资产<#<SB_ZCFZB_XMMC>商标权<#' \
  unknown-layout.xml
printf '<DZSBB><SB_SYB>' >broken.xml
printf '[损益]\n' >section.rules

zh() { LANG=zh_CN.UTF-8 "$@"; }
en() { LANG=C "$@"; }

# The column (from 0) at which $2 starts in the line $1, as a terminal
# shows it: wide and ambiguous East Asian characters take two columns, as on
# a GBK console.
display_column() {
  python3 -c '
import sys, unicodedata
line, text = sys.argv[1], sys.argv[2]
at = line.find(text)
if at < 0:
    sys.exit(1)
print(sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in line[:at]))' "$1" "$2"
}

# Every line of show's list of checks has its title at column 15, after
# the outcome, whatever the outcome's words are ($@).
expect_checks_aligned() {
  local faults
  faults=$(python3 -c '
import sys, unicodedata
width = lambda text: sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in text)
checks = 0
for line in sys.stdin.read().splitlines():
    for word in sys.argv[1:]:
        if line.startswith("  " + word + " "):
            checks += 1
            title = line[2 + len(word):].lstrip(" ")
            if width(line[:len(line) - len(title)]) != 15:
                print("check title not at column 15:", line)
if checks == 0:
    print("no checks among the lines")' "$@" <<<"$out")
  [ -z "$faults" ] || fail "$faults"
}

# "status|arguments|stream|Chinese text|English text": the command run under
# both languages, each text expected on that stream.
# shellcheck disable=SC1111 # the quotes of Chinese sentences
cases=(
  "0|show national.xml|out|  正常         资产负债表：资产总计（行次 15）等于负债和所有者权益总计（行次 30）|  ok           balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)"
  "0|show national.xml|out|  正常         利润表：净利润 = 利润总额 - 所得税|  ok           利润表: 净利润 = 利润总额 - 所得税"
  "0|show national.xml|out|  提示         利润表：按 财会〔2000〕25号 企业会计制度 利润表 校验|  note         利润表: checked as 财会〔2000〕25号 企业会计制度 利润表"
  "0|show national.xml|out|资产负债表 未分配利润（行次 28）：期末数 781554.55 - 年初数 172489.60 = 609064.95|资产负债表 未分配利润 (line 28): 期末数 781554.55 - 年初数 172489.60 = 609064.95"
  "0|show national.xml|out|期末数：2621680.15 = 2621680.15|期末数: 2621680.15 = 2621680.15"
  "0|show national.xml|out|  正常         每个金额都是数字（短横线表示空金额）|  ok           every amount is a number (a dash is an empty amount)"
  "0|show national.xml|out|  提示         未分配利润与本年净利润对照（利润分配和提取公积会使两者合理地不同）|  note         retained earnings beside the year's net profit"
  "0|show national.xml|out|差额 0.00|difference 0.00"
  "3|show unbalanced.xml|out|  未通过       资产负债表：资产总计（行次 15）等于负债和所有者权益总计（行次 30）|  FAILED       balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30)"
  "3|show unbalanced.xml|out|期末数：资产总计 2621680.15，负债和所有者权益总计 2621580.15，差额 100.00|期末数: 资产总计 2621680.15, 负债和所有者权益总计 2621580.15, difference 100.00"
  "3|show unbalanced.xml|out|* 未通过的规则所涉及的行（见“校验”）|* a line that a failed rule names (see Checks)"
  "3|show unbalanced.xml|out|* 第 24, 29, 30 行：未通过 资产负债表：负债和所有者权益总计 = 负债合计 + 所有者权益合计|* lines 24, 29, 30: FAILED 资产负债表: 负债和所有者权益总计 = 负债合计 + 所有者权益合计"
  "5|show unknown-layout.xml|out|  未比较       资产负债表：非流动资产合计|  not compared 资产负债表: 非流动资产合计"
  "5|show unknown-layout.xml|out|年初数：未比较：商标权（行次 13）有金额 36000.00，规则中没有这一行|年初数: not compared: 商标权 (line 13) carries 36000.00, which the rule does not account for"
  "5|show unknown-layout.xml|out|  未校验       利润表：报表格式未能识别，未做校验（见 --rules）|  not checked  利润表: layout not recognised: not checked (see --rules)"
  "5|show unknown-layout.xml|out|种利润表格式中，没有一种与表中各行相符|layouts of the income statement fits its lines"
  "1|show broken.xml|err|无法显示 broken.xml：文件不是格式正确的 XML|cannot show broken.xml: it is not well-formed XML"
  "2|show national.xml --rules section.rules|err|规则文件有误：section.rules:1:1: 节标题应为 [利润表] 或 [资产负债表]|the rules file does not read: section.rules:1:1: a section is [利润表] or [资产负债表]"
  "3|show unbalanced.xml --html -o page.html|out|网页已写入 page.html；有校验未通过|page written to page.html; a check FAILED"
  "0|show --help|out|申报文件（DZSBB，GBK 或 UTF-8 编码）|the filing document (DZSBB, GBK or UTF-8)"
  "0|trace show --help|out|只显示此账套代码的调用|only calls for this account code"
  "0|explain --help|out|说明接口库的一条提示信息|what one of the library's messages means"
  "1|explain 没有这条|err|接口库没有这样的提示信息：没有这条（vokqm7 explain 可列出全部）|no message of the library reads so: 没有这条 (vokqm7 explain lists them all)"
)
# Each command runs once in each language, for the cases in a row that name it.
shown=
for case in "${cases[@]}"; do
  IFS='|' read -r expected arguments stream chinese_text english_text <<<"$case"
  read -ra words <<<"$arguments"
  if [ "$arguments" != "$shown" ]; then
    shown=$arguments
    run en "$tool" "${words[@]}"
    english=("$status" "$out" "$err")
    run zh "$tool" --lang en "${words[@]}"
    if [ "$out" != "${english[1]}" ] || [ "$err" != "${english[2]}" ]; then
      fail "$arguments: LANG=C differs from --lang en"
    fi
    run zh "$tool" "${words[@]}"
    chinese=("$status" "$out" "$err")
  fi
  status=${chinese[0]} out=${chinese[1]} err=${chinese[2]}
  expect_status "$expected" "zh: $arguments"
  "expect_$stream" "$chinese_text" "zh: $arguments"
  status=${english[0]} out=${english[1]} err=${english[2]}
  expect_status "$expected" "en: $arguments"
  "expect_$stream" "$english_text" "en: $arguments"
done

# The tables before the heading $2 of the checks: a check's title may hold
# 行次, which would start a table for expect_aligned.
expect_tables_aligned() {
  local all=$out
  out=$(sed "/^$2\$/,\$d" <<<"$all")
  expect_aligned "$1"
  out=$all
}
# The tables and the checks in both languages: amounts end in their column,
# check titles start at theirs, and no word of the other language is left.
for document in national.xml unbalanced.xml unknown-layout.xml; do
  run zh "$tool" show "$document"
  expect_tables_aligned "zh: show $document" 校验
  expect_checks_aligned 正常 未通过 未校验 提示 未比较
  expect_out "校验" "zh: show $document"
  expect_no_out "line numbers" "zh: show $document"
  expect_no_out "(line " "zh: show $document"
  expect_no_out "Checks" "zh: show $document"
  run en "$tool" show "$document"
  expect_tables_aligned "en: show $document" Checks
  expect_checks_aligned ok FAILED "not checked" note "not compared"
  expect_no_out "正常" "en: show $document"
  expect_no_out "（第" "en: show $document"
done

# The English page is the same bytes whichever way English was chosen.
run en "$tool" show unbalanced.xml --html -o page-c.html
run zh "$tool" --lang en show unbalanced.xml --html -o page-en.html
cmp -s page-c.html page-en.html || fail "the page under LANG=C differs from the one of --lang en"
run zh "$tool" show unbalanced.xml --html -o page-zh.html
cmp -s page-c.html page-zh.html && fail "the Chinese page is the English one"

# trace on, show and off in Chinese; the trace itself stays as it is.
trace=$work/traces/trace.log
mkdir -p "$work/traces"
run zh "$tool" trace on "$trace"
expect_status 0 "zh: trace on"
expect_out "跟踪记录已开启：从现在起，此用户对接口库的每次调用都写入 $trace" "zh: trace on"
"$tool" report-date "${login[@]}" -o traced.xml >/dev/null || fail "report-date, traced"
mv "$model/国税申报/hxzcfzb.rep" "$work/hxzcfzb.rep"
"$tool" report-date "${login[@]}" -o none.xml >/dev/null
mv "$work/hxzcfzb.rep" "$model/国税申报/hxzcfzb.rep"
run zh "$tool" trace show --account 001
expect_status 0 "zh: trace show"
expect_out "符合 --account 001 的调用共 2 次（$trace 中共 2 次），显示 2 次：" "zh: trace show"
expect_out "最后一次调用的各个事件：" "zh: trace show"
expect_out "  call.begin  export=GetReportDate" "zh: trace show keeps the trace's event names"
heading=$(grep -m 1 '^时间' <<<"$out")
grep -qxE '时间 +导出函数 +账套/年度/期间 +结果 +毫秒 +失败步骤 +提示信息' <<<"$heading" ||
  fail "zh: trace show heading: $heading"
ok_row=$(grep -m 1 ' 正常 ' <<<"$out")
failed_row=$(grep -m 1 ' staging ' <<<"$out")
for cell in "ok_row|001/2026/11|账套/年度/期间" "ok_row|正常|结果" "failed_row|-1 |结果" \
  "failed_row|staging|失败步骤" "failed_row|复制资产负债表|提示信息"; do
  IFS='|' read -r which value head <<<"$cell"
  row=${!which}
  [ "$(display_column "$row" "  $value")" = "$(($(display_column "$heading" "$head") - 2))" ] ||
    fail "zh: trace show: $value is not under $head: $row"
done
run en "$tool" trace show
grep -qxE 'when +export +account/year/period +result +ms +failed step +message' <<<"$out" ||
  fail "en: trace show heading"
english_out=$out
run zh "$tool" --lang en trace show
[ "$out" = "$english_out" ] || fail "trace show: LANG=C differs from --lang en"
run zh "$tool" trace off
expect_status 0 "zh: trace off"
expect_out "跟踪记录已关闭（已删除 HKEY_CURRENT_USER\\Software\\VOKQM7\\TraceFile）" "zh: trace off"
run zh "$tool" trace show
expect_status 2 "zh: trace show, tracing off"
expect_err "跟踪记录未开启，也没有指定 FILE：没有可显示的内容" "zh: trace show, tracing off"
