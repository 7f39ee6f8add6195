# report-date: both combined filings, the login text, files and failures.
run "$tool" report-date "${login[@]}" -o national.xml
expect_status 0 "report-date"
expect_out "GetReportDate succeeded: the filing document is in national.xml" "report-date"
expect_no_out "waiting for the report tool" "report-date, not on a terminal"
head -c 44 national.xml | grep -qF '<?xml version="1.0" encoding="GBK" ?><DZSBB>' ||
  fail "report-date: national.xml does not start as a GBK filing document"
expect_gbk_file_has national.xml "<SB_SYB_DM>成功</SB_SYB_DM>" "report-date"
expect_file_has national.xml "<SB_SYB_SKSSQ>202611</SB_SYB_SKSSQ>" "report-date"
expect_file_has national.xml "<SB_ZCFZB>" "report-date"
expect_file_has "$vok/vokwqm7.args" "-LQM7_VOK{001 2026 2026-11-30 \"demo-server\"" "report-date command line"

run "$tool" report-date --financial "${login[@]}" -o financial.xml --utf8
expect_status 0 "report-date --financial"
expect_out "GetReportDateV2 succeeded: the filing document is in financial.xml" "report-date --financial"
expect_file_has financial.xml '<?xml version="1.0" encoding="UTF-8" ?>' "report-date --financial --utf8"
expect_file_has financial.xml "<SB_SYB_BCZL>" "report-date --financial"
expect_file_has financial.xml "<SB_SYB_DM>成功</SB_SYB_DM>" "report-date --financial --utf8"
iconv -f UTF-8 -t UTF-8 financial.xml >/dev/null 2>&1 || fail "--utf8 wrote no valid UTF-8"

# Values reach the library escaped (a double quote the tool's command line
# cannot carry is refused before: the batch-reruns group); a file is used
# byte for byte.
run "$tool" report-date --account "A&B" --year 2026 --period 3 --server "s<1>'" -o escaped.xml
expect_status 0 "report-date with XML special characters"
expect_file_has "$vok/vokwqm7.args" "-LQM7_VOK{A&B 2026 2026-03-31 \"s<1>'\"" "escaped login values"
printf '<Info><LoginInfo><AccountCode>007</AccountCode><Year>2025</Year><Period>2</Period><Server>file-server</Server></LoginInfo></Info>' >login.xml
run "$tool" report-date --login login.xml -o from-file.xml
expect_status 0 "report-date --login"
expect_file_has "$vok/vokwqm7.args" "-LQM7_VOK{007 2025 2025-02-28 \"file-server\"" "report-date --login"

# On a terminal the elapsed time is shown while the tool runs.
if command -v script >/dev/null; then
  terminal=$(script -qec "$(printf '%q ' "$tool" report-date "${login[@]}" -o tty.xml)" /dev/null)
  grep -qF "waiting for the report tool: 0 s" <<<"$terminal" || fail "no elapsed time on a terminal: $terminal"
  grep -qF "GetReportDate succeeded" <<<"$terminal" || fail "report-date on a terminal: $terminal"
fi

# Another call holds the installation: doctor names it, and a second call
# waits for it and says for whom (stderr is a file here: one plain line).
rm -f "$vok/vokwqm7.args"
VOKWQM7_SLEEP_MS=2500 "$tool" report-date "${login[@]}" -o first.xml >/dev/null 2>&1 &
holder=$!
for _ in $(seq 200); do [ -e "$vok/vokwqm7.args" ] && break; sleep 0.05; done
run "$tool" doctor
expect_status 0 "doctor, installation in use"
expect_out "note     the installation is in use now by process $holder ($(readlink -f "$tool"), GetReportDate) since $(date +%Y-%m-%d)" "doctor, installation in use"
run "$tool" report-date "${login[@]}" -o second.xml
expect_status 0 "report-date, installation in use"
expect_err "waiting for the installation, in use by process $holder (" "report-date, installation in use"
wait "$holder" || fail "the first report-date failed while another waited"
cmp -s first.xml second.xml || fail "the call that waited wrote another document"
run "$tool" doctor
expect_out "ok       no report call is using the installation now" "doctor, installation free again"

# Failures: the library's message, exit status 1, no document.
rm "$model/国税申报/hxsyb.rep"
run "$tool" report-date "${login[@]}" -o missing-template.xml
expect_status 1 "report-date, template missing"
expect_err "GetReportDate failed with result -1: 复制损益表模版文件出错，请检查模版文件是否存在!" "report-date, template missing"
[ ! -e missing-template.xml ] || fail "report-date wrote a document although it failed"

rm "$vok/vokwqm7.exe"
run "$tool" report-date --financial "${login[@]}" -o missing-tool.xml
expect_status 1 "report-date, tool missing"
expect_err "GetReportDateV2 failed with result -1: 在生成损益数据时,调用接口程序失败!" "report-date, tool missing"

rm "$value_file"
run "$tool" report-date "${login[@]}" -o no-install.xml
expect_status 1 "report-date, registry value missing"
expect_err "GetReportDate failed with result -1: 安装程序信息不正确，请重新安装程序!" "report-date, registry value missing"
