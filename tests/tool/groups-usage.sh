# version, --help and bad usage.
run "$tool" version
expect_status 0 "version"
expect_out "interface version: 2" "version"
expect_out "build version: $VOKQM7_VERSION" "version"
# The library file the tool loaded, and the version its name carries.
expect_out "library version: $VOKQM7_VERSION" "version"
expect_out "libVOKQM7.so.$VOKQM7_VERSION" "version names the loaded file"

run "$tool" --help
expect_status 0 "--help"
# Each command as a line of the list of subcommands, not merely a word
# somewhere in the help.
commands=$(sed -n '/^Subcommands:$/,/^$/p' <<<"$out" | sed -nE 's/^  ([a-z-]+)  +[^ ].*/\1/p')
for command in version doctor report-date report export open convert show batch explain; do
  grep -qxF -- "$command" <<<"$commands" || fail "--help does not list the command $command"
done
# One screen: the exit statuses in full are their own page.
expect_out "Exit status: 0 success, 1 export failed, 2 bad usage, 3 a check failed," "--help"
[ "$(wc -l <<<"$out")" -le 30 ] || fail "--help takes $(wc -l <<<"$out") lines"
run "$tool" help exit-status
expect_status 0 "help exit-status"
expect_out "Exit status: 0 success, 1 the export or conversion failed, 2 bad usage" "help exit-status"
expect_out "5 no check failed but a statement was not checked" "help exit-status"
run "$tool" help nonsense
expect_status 2 "help with an unknown topic"
run "$tool" show --help
expect_out "Exit status: 0 only when every statement was checked" "show --help"

run "$tool" report --help
expect_status 0 "report --help"
expect_out "--template" "report --help"

run "$tool"
expect_status 2 "no subcommand"
run "$tool" frobnicate
expect_status 2 "unknown subcommand"
run "$tool" report --type balance --template x.rep "${login[@]}" -o out.xml
expect_status 2 "report --type with a wrong type"
run "$tool" report-date --year 2026 -o out.xml
expect_status 2 "report-date without the login options"
expect_err "missing login options (or give --login FILE): --account --period --server" \
  "report-date without the login options"
run "$tool" report-date --login login.xml --account 001 -o out.xml
expect_status 2 "--login together with a login option"
run "$tool" report-date --login "$work/no-such-login.xml" -o out.xml
expect_status 4 "unreadable login file"
expect_err "cannot read the login file $work/no-such-login.xml" "unreadable login file"
run "$tool" convert --layout balance-9 "$model/国税申报/hxzcfzb.rep"
expect_status 2 "convert with an unknown layout"
[ ! -e out.xml ] || fail "a usage error wrote out.xml"

# Bad command lines in both languages: CLI11's words under LANG=C, the
# same names and values in Chinese under a Chinese locale, each with the
# hint to --help and exit status 2.
usage_cases=(
  "|A subcommand is required|缺少命令"
  "doctor 批錦|The following argument was not expected: 批錦|多余的参数：批錦"
  "--lang fr doctor|--lang: fr not in {zh,en}|--lang：fr 不是可选的值（{zh,en}）"
  "report-date|--output is required|缺少必填的 --output"
  "trace show --last|--last: 1 required UINT missing|--last：缺少 1 个 UINT 值"
  "trace show --last x|Could not convert: --last = x|--last 的值 x 无法识别"
  "batch a.csv -o d --financial --type syb|--financial excludes --type|--financial 不能与 --type 同时使用"
)
for case in "${usage_cases[@]}"; do
  IFS='|' read -r line english chinese <<<"$case"
  read -ra words <<<"$line"
  run "$tool" "${words[@]}"
  expect_status 2 "[$line] in English"
  [ "$err" = "$english"$'\n'"Run with --help for more information." ] ||
    fail "[$line] in English: '$err'"
  run env LANG=zh_CN.UTF-8 "$tool" "${words[@]}"
  expect_status 2 "[$line] in Chinese"
  [ "$err" = "命令行有误：$chinese"$'\n'"运行时加上 --help 可查看用法。" ] ||
    fail "[$line] in Chinese: '$err'"
done
# The help in Chinese, and --encoding gbk for a reader that wants GBK.
run env LANG=zh_CN.UTF-8 "$tool" --help
expect_out "用法：vokqm7 [选项] 命令" "--help in Chinese"
expect_out "显示本帮助并退出" "--help in Chinese"
"$tool" --lang zh --encoding gbk doctor extra >/dev/null 2>"$work/gbk.err"
[ "$(iconv -f GBK -t UTF-8 "$work/gbk.err")" = "命令行有误：多余的参数：extra"$'\n'"运行时加上 --help 可查看用法。" ] ||
  fail "--encoding gbk: the error is not GBK: $(od -c "$work/gbk.err" | head -3)"
