# batch: every account of a CSV file made and checked, the summary in its
# three forms, progress on a file and on a terminal, Ctrl-C and --resume,
# waiting for the installation, and bad input.
. "$here/batch-helpers.sh"
batch_templates "$model"
log=$vok/vokwqm7.log
options=(--period 11 --server demo-server)

# A GBK accounts file, as a spreadsheet program on Chinese Windows saves it.
batch_accounts gbk >accounts.csv
run env "${batch_env[@]}" "$tool" batch accounts.csv -o out "${options[@]}" --html
expect_status 1 "batch"
expect_err "GetReportDate for the accounts of accounts.csv (GBK) into out" "batch"
expect_batch_of_accounts out/summary.csv "batch"
# The table on stdout holds the same, lined up.
expect_out "102      2026  11      GetReportDate  FAILED   " "batch table"
expect_out "$batch_failed_check" "batch table"
expect_out "8 rows: 3 made and passed their checks, 1 failed a check, 1 export failed, 3 bad rows" "batch totals"
# stderr is a file: the bad rows, then one plain line per account.
expect_err "accounts.csv: line 7, column 4 (year): \"2O26\" is not a number; the row is skipped" "bad row"
expect_no_out $'\r' "batch, not on a terminal"
# Each document is what report-date writes for its account, byte for byte,
# with that account's figures.
for document in 101-2026-11 103-2026-11 104-2026-11 106-2026-10; do
  account=${document%%-*} period=${document##*-}
  env "${batch_env[@]}" "$tool" report-date --account "$account" --year 2026 --period "$((10#$period))" \
    --server demo-server -o "single-$document.xml" >/dev/null
  cmp -s "out/$document.xml" "single-$document.xml" || fail "batch: $document.xml is not what report-date writes"
  expect_file_has "out/$document.xml" ">$account.10<" "batch: $document's own figures"
  [ -s "out/$document.html" ] || fail "batch: no page for $document"
done
[ ! -e out/102-2026-11.xml ] && [ ! -e out/102-2026-11.html ] || fail "batch: a document for the failed account"
[ "$(ls out | wc -l)" -eq 10 ] || fail "batch: out holds $(ls out | tr '\n' ' ')"
expect_file_has out/summary.html '<a href="103-2026-11.html">103-2026-11.html</a>' "summary.html"

# Ctrl-C in the middle of the first account: its call ends, its document is
# whole, the rest is not done; the summary says so; exit status 130.
printf '\xEF\xBB\xBF' >accounts-bom.csv
batch_accounts >>accounts-bom.csv
rm -f "$log"
env "${batch_env[@]}" VOKWQM7_SLEEP_MS=600 "$tool" batch accounts-bom.csv -o stopped "${options[@]}" \
  >stopped.out 2>stopped.err &
batch=$!
for _ in $(seq 200); do [ -s "$log" ] && break; sleep 0.05; done
kill -INT "$batch"
wait "$batch"
status=$? out=$(cat stopped.out) err=$(cat stopped.err)
expect_status 130 "batch stopped by SIGINT"
expect_err "GetReportDate for the accounts of accounts-bom.csv (UTF-8 with a byte-order mark) into stopped" "batch, UTF-8 with a mark"
expect_err "stopped by Ctrl-C after the call in progress; run the same batch with --resume to make the rest" "batch stopped"
[ "$(tool_runs "$log" 1)" = "101 101 " ] || fail "stopped batch: the tool ran for $(tool_runs "$log" 1)"
expect_out "101      2026  11      GetReportDate  made " "stopped batch table"
expect_out "8 rows: 1 made and passed their checks, 3 bad rows, 4 to do" "stopped batch totals"
grep -qF $'106,2026,10,GetReportDate,to do,,,,106-2026-10.xml,,,,,,,,\r' stopped/summary.csv || fail "stopped batch: summary.csv lacks the rows to do"

# --resume keeps what was made and passed, and makes the rest; again, only
# what failed (the export and the check) is made.
for round in 1 2; do
  runs=$(($(wc -l <"$log") + 1))
  run env "${batch_env[@]}" "$tool" batch accounts-bom.csv -o stopped "${options[@]}" --resume
  expect_status 1 "batch --resume $round"
  kept=$((round * 2 - 1))
  expect_out "8 rows: 3 made and passed their checks ($kept kept from an earlier run), 1 failed a check" "batch --resume $round"
  expect_err "[1/5] 101 2026-11: kept from an earlier run, checks passed" "batch --resume $round"
  expected_runs="102 103 103 104 104 106 106 "
  [ "$round" = 2 ] && expected_runs="102 103 103 "
  [ "$(tool_runs "$log" "$runs")" = "$expected_runs" ] ||
    fail "batch --resume $round: the tool ran for $(tool_runs "$log" "$runs")"
done
# Another export is no resume of this one.
runs=$(($(wc -l <"$log") + 1))
run env "${batch_env[@]}" "$tool" batch accounts-bom.csv -o stopped "${options[@]}" --resume --financial
[ "$(tool_runs "$log" "$runs" | wc -w)" -eq 9 ] || fail "batch --resume --financial kept national documents"

# An income statement whose layout no rules fit is "not checked", never
# "passed" (exit status 5, and made again by --resume); a rules file of the
# office's own checks it; one that does not read stops the batch first.
iconv -f GBK -t UTF-8 "$model/财务申报/lrb.rep" |
  sed 's#>二、营业利润<#>二、经营结余<#; s#>三、利润总额<#>三、结余总额<#; s#>四、净利润<#>四、净结余<#' |
  iconv -f UTF-8 -t GBK >own.rep
cp "$model/财务申报/lrb.rep" shipped.rep
mv own.rep "$model/财务申报/lrb.rep"
printf 'account,year\n201,2026\n' >one.csv
run "$tool" batch one.csv -o own "${options[@]}" --financial --html
expect_status 5 "batch, a layout no rules fit"
expect_out "not checked: 利润表: layout not recognised: not checked (see --rules), checked as 申报模板 资产负债表" "batch, not checked"
expect_out "1 row: 0 made and passed their checks, 1 not checked" "batch, not checked"
expect_summary_csv own/summary.csv "batch, not checked" \
  "201|2026|11|GetReportDateV2|made|not checked: 利润表: layout not recognised: not checked (see --rules)||201-2026-11.xml"
printf '%s\n' '[利润表] our 利润表' '#8 = #1 - #2 - #3 - #4 - #5 - #6 + #7' '#11 = #8 + #9 - #10' >own.rules
run "$tool" batch one.csv -o own "${options[@]}" --financial --resume --rules own.rules
expect_status 0 "batch --rules"
expect_out "201      2026  11      GetReportDateV2  made " "batch --resume remakes what was not checked"
expect_out "passed, checked as our 利润表, 申报模板 资产负债表" "batch --rules: the formats that judged the document"
printf '%s\n' '[资产负债表]' '非流动资产合计 = 长期股权投资 + 商标权' >bad.rules
run "$tool" batch one.csv -o own "${options[@]}" --financial --rules bad.rules
expect_status 2 "batch, a rules file that does not read"
expect_err "the rules file does not read: bad.rules:2:20: " "batch, a rules file that does not read"
mv shipped.rep "$model/财务申报/lrb.rep"

# A blank export, every amount 0.00, is never "passed" either: exit status
# 5, the reason shown, and --resume makes it again.
for rep in lrb zcfzb; do
  cp "$model/财务申报/$rep.rep" "$rep.shipped"
  LC_ALL=C sed -E 's#<value>-?[0-9]+\.[0-9]+</value>#<value>0.00</value>#g' "$rep.shipped" >"$model/财务申报/$rep.rep"
done
run "$tool" batch one.csv -o zero "${options[@]}" --financial
expect_status 5 "batch, every amount zero"
expect_out "not checked: 利润表: every amount is zero: not checked (and 1 more)" "batch, every amount zero"
for rep in lrb zcfzb; do mv "$rep.shipped" "$model/财务申报/$rep.rep"; done
run "$tool" batch one.csv -o zero "${options[@]}" --financial --resume
expect_status 0 "batch --resume remakes a blank export"
expect_out "201      2026  11      GetReportDateV2  made " "batch --resume remakes a blank export"

# On a terminal, one line redrawn in place instead of the plain lines; and
# Ctrl-C typed there reaches neither the report tool nor the batch's call.
if command -v script >/dev/null; then
  terminal=$({ sleep 1; printf '\003'; sleep 5; } |
    script -qec "$(printf '%q ' env "${batch_env[@]}" VOKWQM7_SLEEP_MS=1500 "$tool" batch accounts.csv -o tty "${options[@]}")" /dev/null)
  status=$?
  expect_status 130 "batch on a terminal, Ctrl-C"
  grep -qF $'\r0 of 5 done, making 101 2026-11, 0:00 elapsed' <<<"$terminal" || fail "no progress line on a terminal: $terminal"
  grep -qF '(stopping after it)' <<<"$terminal" || fail "the progress line does not say it stops: $terminal"
  grep -qE '^\[1/5\]' <<<"$terminal" && fail "plain progress lines on a terminal: $terminal"
  grep -qF '101      2026  11      GetReportDate  made     ' <<<"$terminal" &&
    grep -qF 'passed' <<<"$terminal" || fail "Ctrl-C on the terminal broke the call in progress: $terminal"
  [ "$(ls tty | tr '\n' ' ')" = "101-2026-11.xml summary.csv " ] || fail "batch on a terminal left $(ls tty | tr '\n' ' ')"
fi

# Another call holds the installation: the batch says it waits, and for whom.
VOKWQM7_SLEEP_MS=2500 "$tool" report-date "${login[@]}" -o holder.xml >/dev/null 2>&1 &
holder=$!
for _ in $(seq 200); do grep -q '^-LQM7_VOK{001 ' "$log" && break; sleep 0.05; done
printf 'account\n107\n' >one.csv
run "$tool" batch one.csv -o waited --year 2026 "${options[@]}"
expect_status 0 "batch waiting for the installation"
expect_err "107 2026-11: waiting for the installation, in use by process $holder (" "batch waiting"
wait "$holder"

# Bad input: clear messages, and no tool run before them.
runs=$(wc -l <"$log")
run "$tool" batch missing.csv -o bad "${options[@]}"
expect_status 4 "batch, missing accounts file"
expect_err "cannot read the accounts file missing.csv" "batch, missing accounts file"
printf 'code,year\n101,2026\n' >no-account.csv
run "$tool" batch no-account.csv -o bad "${options[@]}"
expect_status 1 "batch, header without account"
expect_err "the accounts file no-account.csv cannot be used: the header (line 1) names no account column" "batch, header without account"
run "$tool" batch one.csv -o bad --period 11 --server demo-server
expect_status 2 "batch, no year anywhere"
expect_err "the accounts file one.csv cannot be used: it has no year column: give --year" "batch, no year anywhere"
touch not-a-folder
run "$tool" batch one.csv -o not-a-folder/out --year 2026 "${options[@]}"
expect_status 4 "batch, folder cannot be made"
expect_err "cannot create the folder not-a-folder/out" "batch, folder cannot be made"
mkdir -p unwritable/summary.csv
run "$tool" batch one.csv -o unwritable --year 2026 "${options[@]}"
expect_status 4 "batch, folder cannot be written"
expect_err "unwritable/summary.csv cannot be written: it is a folder" "batch, folder cannot be written"
[ "$(wc -l <"$log")" -eq "$runs" ] || fail "bad input ran the tool"
run "$tool" batch one.csv
expect_status 2 "batch without -o"

# The integration guide's example accounts file makes the documents it names.
sed -n '/^    account,名称,period,server$/,/^$/p' "$demo/../docs/integration.md" | sed 's/^    //' >guide.csv
run "$tool" batch guide.csv -o filings-2026-11 --year 2026 --period 11 --server acct
expect_status 0 "the guide's accounts file"
[ "$(ls filings-2026-11 | tr '\n' ' ')" = "001-2026-11.xml 002-2026-11.xml 003-2026-10.xml summary.csv " ] ||
  fail "the guide's accounts file made $(ls filings-2026-11 | tr '\n' ' ')"
