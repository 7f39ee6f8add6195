# batch in Chinese under LANG=zh_CN.UTF-8 and unchanged English under LANG=C.
# The same small batch runs in three folders: Chinese, English from the C
# locale, and English asked for by --lang en over a Chinese locale. The
# English ones match byte for byte, summary.csv keeps its English columns
# and result words in all three, and the Chinese table stays lined up.
. "$here/batch-helpers.sh"
batch_templates "$model"

# 101 made and passed, 102 whose export fails, 103 that does not balance,
# and a row whose year is no number.
accounts='account,year
101,2026
102,2026
103,2026
105,2O26'
options=(--period 11 --server demo-server)
# Seconds vary from run to run: "0.4" becomes "#.#".
seconds() { sed -E 's/[0-9]+\.[0-9]/#.#/g' "$@"; }

runs=(
  "zh|LANG=zh_CN.UTF-8|"
  "c|LANG=C|"
  "en|LANG=zh_CN.UTF-8|--lang en"
)
for entry in "${runs[@]}"; do
  IFS='|' read -r name locale extra <<<"$entry"
  read -r -a extra <<<"$extra"
  mkdir "$name"
  printf '%s\n' "$accounts" >"$name/accounts.csv"
  (cd "$name" && env "$locale" "${batch_env[@]}" "$tool" batch accounts.csv -o out "${options[@]}" \
    "${extra[@]}" >stdout.txt 2>stderr.txt
   echo $? >status.txt)
  [ "$(cat "$name/status.txt")" = 1 ] ||
    fail "batch under $locale ${extra[*]}: exit status $(cat "$name/status.txt")"
done

# English: the C locale's output is what --lang en prints, byte for byte,
# and what the English tests expect of it.
for stream in stdout stderr; do
  cmp -s <(seconds "c/$stream.txt") <(seconds "en/$stream.txt") ||
    fail "batch: LANG=C and --lang en differ on $stream: $(diff <(seconds "c/$stream.txt") <(seconds "en/$stream.txt"))"
done
out=$(cat c/stdout.txt) err=$(cat c/stderr.txt)
expect_out "account  year  period  export         result   seconds  checks" "batch under LANG=C"
expect_out "4 rows: 1 made and passed their checks, 1 failed a check, 1 export failed, 1 bad row" "batch under LANG=C"
expect_err "[1/3] 101 2026-11: made, checks passed (" "batch under LANG=C"
expect_err "accounts.csv: line 5, column 2 (year): \"2O26\" is not a number; the row is skipped" "batch under LANG=C"

# Chinese: the progress, the table, the totals and the bad row's message.
out=$(cat zh/stdout.txt) err=$(cat zh/stderr.txt)
for expected in \
  "err|GetReportDate：账套清单 accounts.csv（UTF-8），输出到 out" \
  "err|accounts.csv：第 5 行，第 2 列（year）：“2O26”不是数字；跳过该行" \
  "err|[1/3] 101 2026-11：已生成，校验通过（" \
  "err|[2/3] 102 2026-11：GetReportDate 失败：$batch_message（" \
  "err|[3/3] 103 2026-11：已生成，校验未通过：" \
  "out|账套  年度  所属期  导出函数       结果    秒数  校验" \
  "out|共 4 行：1 行已生成并通过校验，1 行校验未通过，1 行导出失败，1 行有错误" \
  "out|错误行" ; do
  if [ "${expected%%|*}" = out ]; then
    expect_out "${expected#*|}" "batch in Chinese"
  else
    expect_err "${expected#*|}" "batch in Chinese"
  fi
done
expect_no_out "made" "batch in Chinese"
expect_no_out "rows:" "batch in Chinese"

# The Chinese table on display columns: in every row the export, the result
# and the document start where their headings do, wide characters counted
# as two columns.
misaligned=$(python3 - zh/stdout.txt <<'PY'
import sys, unicodedata
def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in text)
lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
header, rows = lines[0], [l for l in lines[1:] if l and not l.startswith("共")]
def column(line, text):
    at = line.find(text)
    return None if at < 0 else width(line[:at])
cells = {"101": ["GetReportDate", "已生成", "101-2026-11.xml"],
         "102": ["GetReportDate", "失败", "102-2026-11.xml"],
         "103": ["GetReportDate", "已生成", "103-2026-11.xml"],
         "105": ["GetReportDate", "错误行", None]}
headings = ["导出函数", "结果", "申报文件"]
if len(rows) != len(cells):
    print(f"{len(rows)} rows, not {len(cells)}")
for row in rows:
    account = row.split(" ")[0]
    for heading, cell in zip(headings, cells.get(account, [])):
        if cell is not None and column(row, cell) != column(header, heading):
            print(f"row {account}: {cell} at column {column(row, cell)}, "
                  f"{heading} at {column(header, heading)}")
PY
)
[ -z "$misaligned" ] || fail "the Chinese summary table is not lined up: $misaligned"

# summary.csv: the same columns and result and checks words in every
# language (the messages are for people and follow the language).
for name in zh c en; do
  summary_rows "$name/out/summary.csv" | cut -d'|' -f1-6 | sed -E 's/^(([^|]*\|){5}[^:|]*).*/\1/' \
    >"$name/record.txt"
done
expected='account|year|period|export|result|checks
101|2026|11|GetReportDate|made|passed
102|2026|11|GetReportDate|FAILED|
103|2026|11|GetReportDate|made|FAILED
105|||GetReportDate|bad row|'
for name in zh c en; do
  [ "$(cat "$name/record.txt")" = "$expected" ] ||
    fail "summary.csv of the $name run holds $(cat "$name/record.txt")"
done
cmp -s <(seconds c/out/summary.csv) <(seconds en/out/summary.csv) || fail "summary.csv differs between LANG=C and --lang en"

# --resume in English reads what the Chinese run wrote: 101 is kept.
(cd zh && env LANG=C "${batch_env[@]}" "$tool" batch accounts.csv -o out "${options[@]}" --resume \
  >resume.out 2>resume.err)
grep -qF "[1/3] 101 2026-11: kept from an earlier run, checks passed" zh/resume.err ||
  fail "--resume under LANG=C did not keep what the Chinese run made: $(cat zh/resume.err)"

# Help: the exit statuses in full and batch's own footer, in Chinese and English.
for entry in \
  "LANG=zh_CN.UTF-8|help exit-status|退出状态：0 成功，1 导出或转换失败，2 用法有误，3 校验未通过（doctor" \
  "LANG=zh_CN.UTF-8|help exit-status|被 Ctrl-C 停止时返回 130；batch --check 在可以开始运行时返回 0，有错误" \
  "LANG=C|help exit-status|Exit status: 0 success, 1 the export or conversion failed, 2 bad usage," \
  "LANG=zh_CN.UTF-8|batch --help|按 Ctrl-C 会在当前调用结束后停止批量运行" \
  "LANG=zh_CN.UTF-8|batch --help|使用财务申报的报表模板（GetReportDateV2）" \
  "LANG=C|batch --help|Ctrl-C stops the batch once the call in progress has ended" \
  "LANG=zh_CN.UTF-8|support-bundle --help|包内的文件都用英文写成" \
  "LANG=C|support-bundle --help|The files in the bundle are written in English whatever the language"; do
  IFS='|' read -r locale arguments expected <<<"$entry"
  read -r -a arguments <<<"$arguments"
  run env "$locale" "$tool" "${arguments[@]}"
  expect_status 0 "${arguments[*]} under $locale"
  expect_out "$expected" "${arguments[*]} under $locale"
done
# The Chinese exit statuses keep to about 70 columns a line.
run env LANG=zh_CN.UTF-8 "$tool" --help
wide=$(sed -n '/^退出状态/,$p' <<<"$out" | python3 -c '
import sys, unicodedata
for line in sys.stdin.read().split("\n"):
    if sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in line) > 72:
        print(line)')
[ -z "$wide" ] || fail "exit statuses wider than 72 columns: $wide"

# support-bundle: the console in Chinese, the files inside in English, the
# same as under LANG=C.
for locale in zh_CN.UTF-8 C; do
  run env LANG=$locale "$tool" support-bundle -o "bundle-$locale.zip"
  expect_status 0 "support-bundle under LANG=$locale"
  mkdir "bundle-$locale"
  unzip -q "bundle-$locale.zip" -d "bundle-$locale" || fail "support-bundle under LANG=$locale: no zip"
  [ "$locale" = C ] && expect_out "support bundle written, readable by this user alone: " "support-bundle under LANG=C"
  [ "$locale" = C ] || expect_out "支持信息包已写入，只有本用户可以读取：" "support-bundle in Chinese"
  [ "$locale" = C ] || expect_out "未包含：" "support-bundle in Chinese"
  [ "$locale" = C ] || expect_out "  账套号：" "support-bundle in Chinese"
done
# versions.txt names the locale itself, and so its size in CONTENTS.txt.
sed -i '/^user UI language: /d' bundle-*/versions.txt
sed -i '/^  versions.txt  (/d' bundle-*/CONTENTS.txt
diff -r bundle-zh_CN.UTF-8 bundle-C >bundle.diff || fail "the bundle's files differ with the language: $(cat bundle.diff)"
grep -q "doctor's exit status" bundle-C/doctor.txt || fail "the bundle has no doctor.txt"
