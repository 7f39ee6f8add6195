# doctor, version, the exports and convert in Chinese under LANG=zh_CN.UTF-8
# and unchanged English under LANG=C; --lang and VOKQM7_LANG over the locale.

# Every line of doctor's output has Chinese in it, and the statuses are the
# four Chinese words in one column of one display width, the texts after
# them starting in one column.
doctor_in_chinese() {
  python3 - "$1" <<'EOF' || fail "$2: doctor's Chinese checklist: see above"
import sys, unicodedata
lines = sys.argv[1].split("\n")
def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in text)
bad = 0
starts = set()
for line in lines:
    if not any("\u4e00" <= c <= "\u9fff" for c in line):
        print(f"no Chinese in: {line!r}"); bad += 1
    if not line.startswith("  "):
        continue
    status = line[2:].split(" ", 1)[0]
    if status not in ("正常", "问题", "提示", "跳过"):
        print(f"status {status!r} in: {line!r}"); bad += 1
        continue
    rest = line[2 + len(status):]
    starts.add(2 + width(status) + len(rest) - len(rest.lstrip(" ")))
if len(starts) != 1:
    print(f"the texts after the statuses start in the columns {sorted(starts)}"); bad += 1
sys.exit(1 if bad else 0)
EOF
}

# The last run's stdout and stderr are those of the run kept as $1.
same_as() {
  cmp -s "$work/v.out" "$work/$1.out" && cmp -s "$work/v.err" "$work/$1.err" ||
    fail "$2: not byte for byte the $1 run's output"
}

# label | what to do first | status | Chinese text (stdout and stderr) | English text | command
cases=(
  "doctor, the demo installation||0|  正常  财务申报利润表模板：$install\\vok\\vokModel\\财务申报\\lrb.rep|Everything the library needs is in place.|doctor"
  "doctor, a leftover work file|echo stale >\"\$vok/voktemp1.rep\"|0|  提示  之前的调用留下的工作文件：voktemp1.rep|  note     work file left by an earlier call: voktemp1.rep|doctor"
  "doctor, a trace file that cannot be written|export VOKQM7_TRACE=\$work/no-folder/trace.log|0|  提示  跟踪记录已由 环境变量 VOKQM7_TRACE 打开，但无法写入 $work/no-folder/trace.log：调用没有被记录|  note     tracing is on, set by the environment variable VOKQM7_TRACE, but $work/no-folder/trace.log cannot be written|doctor"
  "version|rm -f \"\$vok/voktemp1.rep\"; unset VOKQM7_TRACE|0|构建版本：$VOKQM7_VERSION|build version: $VOKQM7_VERSION|version"
  "report-date, an account the command line cannot carry||2|--account “0 1”含有空格：报表工具的命令行无法传递它|--account \"0 1\" holds a blank: the report tool's command line cannot carry it|report-date --account 0\\ 1 --year 2026 --period 11 --server s -o x.xml"
  "report-date, login options missing||2|缺少登录选项（或者用 --login FILE 给出登录文件）：--period --server|missing login options (or give --login FILE): --period --server|report-date --account 001 --year 2026 -o x.xml"
  "convert, no cell export||1|income-1 转换器出错：|the income-1 writer failed: |convert --layout income-1 no-such-export.xml"
  "report-date, template missing|mv \"\$model/国税申报/hxsyb.rep\" \"\$work/hxsyb.rep\"|1|GetReportDate 失败，返回值 -1：复制损益表模版文件出错，请检查模版文件是否存在!|GetReportDate failed with result -1: 复制损益表模版文件出错，请检查模版文件是否存在!|report-date ${login[*]} -o x.xml"
  "doctor, the registry value naming no folder|printf '%s\\n' \"\$work/elsewhere\" >\"\$value_file\"|3|  问题  财务软件安装目录 $work/elsewhere\\vok 不存在|  PROBLEM  the installation folder $work/elsewhere\\vok does not exist|doctor"
)
for case in "${cases[@]}"; do
  IFS='|' read -r label setup expected zh en command <<<"$case"
  eval "$setup"
  eval "args=($command)"
  # English from the C locale.
  env LANG=C "$tool" "${args[@]}" >"$work/c.out" 2>"$work/c.err"
  status=$? out=$(cat "$work/c.out") err=$(cat "$work/c.err")
  expect_status "$expected" "$label, C"
  grep -qF -- "$en" <<<"$out$err" || fail "$label, C: no '$en'"
  # Chinese from the locale.
  env LANG=zh_CN.UTF-8 "$tool" "${args[@]}" >"$work/zh.out" 2>"$work/zh.err"
  status=$? out=$(cat "$work/zh.out") err=$(cat "$work/zh.err")
  expect_status "$expected" "$label, zh_CN.UTF-8"
  grep -qF -- "$zh" <<<"$out$err" || fail "$label, zh_CN.UTF-8: no '$zh'"
  [ "${args[0]}" = doctor ] && doctor_in_chinese "$out" "$label"
  # The language asked for over the locale, wherever --lang stands: byte
  # for byte the output of that language's own run.
  env LANG=C VOKQM7_LANG=zh "$tool" "${args[@]}" >"$work/v.out" 2>"$work/v.err"
  same_as zh "$label, VOKQM7_LANG=zh under C"
  env LANG=zh_CN.UTF-8 VOKQM7_LANG=zh "$tool" --lang en "${args[@]}" >"$work/v.out" 2>"$work/v.err"
  same_as c "$label, --lang en under zh_CN.UTF-8 and VOKQM7_LANG=zh"
  env LANG=zh_CN.UTF-8 "$tool" "${args[@]}" --lang=en >"$work/v.out" 2>"$work/v.err"
  same_as c "$label, --lang=en after the arguments under zh_CN.UTF-8"
  env LANG=C "$tool" --lang en "${args[@]}" >"$work/v.out" 2>"$work/v.err"
  same_as c "$label, --lang en under C"
done
mv "$work/hxsyb.rep" "$model/国税申报/hxsyb.rep"
printf '%s\n' "$install" >"$value_file"

# Another call holds the installation: doctor's note names it, and a call
# that waits for it says so, both in Chinese.
rm -f "$vok/vokwqm7.args"
VOKWQM7_SLEEP_MS=2000 "$tool" report-date "${login[@]}" -o first.xml >/dev/null 2>&1 &
holder=$!
for _ in $(seq 200); do [ -e "$vok/vokwqm7.args" ] && break; sleep 0.05; done
run env LANG=zh_CN.UTF-8 "$tool" doctor
expect_status 0 "doctor, installation in use, zh_CN.UTF-8"
expect_out "  提示  财务软件安装目录正被占用：进程 $holder（$(readlink -f "$tool"), GetReportDate），$(date +%Y-%m-%d)" "doctor, installation in use, zh_CN.UTF-8"
expect_out "其他调用会等它用完（最多等 " "doctor, installation in use, zh_CN.UTF-8"
doctor_in_chinese "$out" "doctor, installation in use"
run env LANG=zh_CN.UTF-8 "$tool" report-date "${login[@]}" -o second.xml
expect_status 0 "report-date, installation in use, zh_CN.UTF-8"
expect_err "正在等待财务软件安装目录，占用者：进程 $holder（" "report-date, installation in use, zh_CN.UTF-8"
expect_out "GetReportDate 成功：申报文件已写到 second.xml" "report-date, installation in use, zh_CN.UTF-8"
wait "$holder" || fail "the first report-date failed while another waited"

# On a terminal: the elapsed time in Chinese, wiped (a carriage return
# after the blanks) before the outcome is printed on a line of its own.
if command -v script >/dev/null; then
  terminal=$(LANG=zh_CN.UTF-8 script -qec "$(printf '%q ' "$tool" report-date "${login[@]}" -o tty.xml)" /dev/null)
  grep -qF "正在等待报表工具：0 秒" <<<"$terminal" || fail "no Chinese elapsed time on a terminal: $terminal"
  grep -qE $' +\rGetReportDate 成功：申报文件已写到 tty.xml' <<<"$terminal" ||
    fail "the outcome does not follow the wiped elapsed time: $(cat -A <<<"$terminal")"
fi
