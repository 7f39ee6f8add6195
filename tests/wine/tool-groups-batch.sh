# vokqm7.exe batch with the real DLL: the documents, the summary, the plain
# progress lines, bad rows of a GBK accounts file, and --resume after a run
# stopped by SIGINT, which Wine hands the program as the console's Ctrl-C.
. "$here/../tool/batch-helpers.sh"
batch_templates "$model"
log=$install/vok/vokwqm7.log
options=(--period 11 --server demo-server)

# vokqm7.exe with the stand-in's settings of batch_env and the NAME=VALUE
# words that come first.
wine_batch() {
  local saved=("${wine_env[@]}")
  wine_env+=("${batch_env[@]}")
  while [[ $1 == *=* ]]; do wine_env+=("$1"); shift; done
  wine_run vokqm7.exe "$@"
  wine_env=("${saved[@]}")
}

batch_accounts gbk >bin/accounts.csv
wine_batch batch accounts.csv -o out "${options[@]}" --html
expect_status 1 "batch"
expect_err "GetReportDate for the accounts of accounts.csv (GBK) into out" "batch"
expect_batch_of_accounts bin/out/summary.csv "batch"
expect_out "8 rows: 3 made and passed their checks, 1 failed a check, 1 export failed, 3 bad rows" "batch"
for document in 101-2026-11 103-2026-11; do
  wine_batch report-date --account "${document%%-*}" --year 2026 --period 11 --server demo-server \
    -o "single-$document.xml"
  cmp -s "bin/out/$document.xml" "bin/single-$document.xml" ||
    fail "batch: $document.xml is not what report-date writes"
done
[ "$(ls bin/out | wc -l)" -eq 10 ] || fail "batch: out holds $(ls bin/out | tr '\n' ' ')"

# SIGINT in the middle of the first account, then --resume.
printf '\xEF\xBB\xBF' >bin/accounts-bom.csv
batch_accounts >>bin/accounts-bom.csv
rm -f "$log"
(cd bin && exec "${wine_env[@]}" "${batch_env[@]}" VOKWQM7_SLEEP_MS=1500 "$loader" vokqm7.exe batch \
  accounts-bom.csv -o stopped "${options[@]}") >"$work/.out.gbk" 2>"$work/.err.gbk" &
batch=$!
for _ in $(seq 300); do [ -s "$log" ] && break; sleep 0.05; done
kill -INT "$batch"
wait "$batch"
status=$?
out=$(tr -d '\r' <"$work/.out.gbk" | iconv -f GBK -t UTF-8)
err=$(tr -d '\r' <"$work/.err.gbk" | iconv -f GBK -t UTF-8)
expect_status 130 "batch stopped by SIGINT"
expect_out "8 rows: 1 made and passed their checks, 3 bad rows, 4 to do" "batch stopped by SIGINT"
[ "$(tool_runs "$log" 1)" = "101 101 " ] || fail "stopped batch: the tool ran for $(tool_runs "$log" 1)"
wine_batch batch accounts-bom.csv -o stopped "${options[@]}" --resume
expect_status 1 "batch --resume"
expect_err "[1/5] 101 2026-11: kept from an earlier run, checks passed" "batch --resume"
[ "$(tool_runs "$log" 3)" = "102 103 103 104 104 106 106 " ] ||
  fail "batch --resume: the tool ran for $(tool_runs "$log" 3)"

# Bad input under Windows paths: a folder that cannot be made.
touch bin/not-a-folder
wine_batch batch accounts.csv -o 'not-a-folder\out' "${options[@]}"
expect_status 4 "batch, folder cannot be made"
expect_err "cannot create the folder not-a-folder\\out" "batch, folder cannot be made"
