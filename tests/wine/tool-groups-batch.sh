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
  accounts-bom.csv -o stopped "${options[@]}") >"$work/.out.raw" 2>"$work/.err.raw" &
batch=$!
for _ in $(seq 300); do [ -s "$log" ] && break; sleep 0.05; done
kill -INT "$batch"
wait "$batch"
status=$?
out=$(tr -d '\r' <"$work/.out.raw")
err=$(tr -d '\r' <"$work/.err.raw")
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

# The record and the filings kept, the main cases of the native batch-record
# group: a resumed run killed in its first row, a failing rerun, names that
# cannot collide, a summary another program holds open, --type syb, --check.
printf 'account\n201\n202\n203\n' >bin/three.csv
wine_batch VOKWQM7_NO_OUTPUT_ACCOUNT=201 batch three.csv -o kept "${options[@]}" --year 2026
expect_status 1 "a first run, 201 failing"
cp -r bin/kept kept.saved
rm -f "$log"
(cd bin && exec "${wine_env[@]}" VOKWQM7_SLEEP_MS=2000 "$loader" vokqm7.exe batch three.csv -o kept \
  "${options[@]}" --year 2026 --resume) >/dev/null 2>&1 &
batch=$!
for _ in $(seq 300); do [ -s "$log" ] && break; sleep 0.05; done
kill -KILL "$batch"
wait "$batch" 2>/dev/null
sleep 2.5  # the killed batch's report tool runs to its end
rows=$(summary_rows bin/kept/summary.csv | tr '\n' ' ')
[[ $rows == *"201|2026|11|GetReportDate|to do (FAILED)||接口程序无损益表数据文件输出!|201-2026-11.xml"*"202|2026|11|GetReportDate|to do (made)|passed||202-2026-11.xml"* ]] ||
  fail "batch killed in a row: summary.csv says $rows"
rm -f "$log"
wine_run vokqm7.exe batch three.csv -o kept "${options[@]}" --year 2026 --resume
expect_status 0 "--resume after a kill"
[ "$(tool_runs "$log" 1)" = "201 201 " ] || fail "--resume after a kill made $(tool_runs "$log" 1)"
cmp -s kept.saved/202-2026-11.xml bin/kept/202-2026-11.xml || fail "--resume after a kill: 202 changed"

touch -d '2026-12-01 09:30:05' bin/kept/202-2026-11.xml
wine_batch VOKWQM7_NO_OUTPUT_ACCOUNT=202 batch three.csv -o kept "${options[@]}" --year 2026
expect_status 1 "a failing rerun"
cmp -s kept.saved/202-2026-11.xml bin/kept/earlier/202-2026-11.20261201-093005.xml ||
  fail "a failing rerun: earlier/ holds $(ls bin/kept/earlier)"
[ ! -e bin/kept/202-2026-11.xml ] || fail "a failing rerun left a document that looks current"
expect_file_has bin/kept/summary.csv "no current filing, the earlier document is now earlier/202-2026-11.20261201-093005.xml" "a failing rerun"

printf 'account,server\nA01,s1\na01,s1\n300,east\n300,west\n"a b",s1\n"x{y",s1\n' >bin/names.csv
wine_run vokqm7.exe batch names.csv -o names "${options[@]}" --year 2026
expect_status 1 "names"
expect_err "line 3: account a01 for 2026-11 is already on line 2 (as A01; file names on Windows do not tell the case of letters apart)" "a01"
expect_err "line 6, column 1 (account): \"a b\" holds a blank: the report tool's command line cannot carry it" "a blank"
expect_err "line 7, column 1 (account): \"x{y\" holds a brace" "a brace"
[ "$(ls bin/names | tr '\n' ' ')" = "300-east-2026-11.xml 300-west-2026-11.xml A01-2026-11.xml summary.csv " ] ||
  fail "names: the folder holds $(ls bin/names | tr '\n' ' ')"
wine_run vokqm7.exe report-date --account 'x{y' --year 2026 --period 11 --server s -o refused.xml
expect_status 2 "report-date, an account with a brace"
expect_err "--account \"x{y\" holds a brace: the report tool's command line cannot carry it" "report-date"

# A program holds summary.csv open from the first row on, sharing reads
# only: Windows renames nothing over it, so the record stays stale.
cp "$build/tests/wine/hold_file.exe" bin/
rm -f "$work/held.ready"
(cd bin && exec "${wine_env[@]}" VOKWQM7_SLEEP_MS=700 "$loader" vokqm7.exe batch three.csv -o held \
  "${options[@]}" --year 2026) >"$work/.out.raw" 2>"$work/.err.raw" &
batch=$!
for _ in $(seq 300); do grep -q '^201,.*,made,' bin/held/summary.csv 2>/dev/null && break; sleep 0.05; done
(cd bin && exec "${wine_env[@]}" "$loader" hold_file.exe 'held\summary.csv' 20000 "Z:${work//\//\\}\\held.ready") \
  >/dev/null 2>&1 &
holder=$!
wait "$batch"
status=$?
err=$(tr -d '\r' <"$work/.err.raw")
[ -e "$work/held.ready" ] || fail "hold_file.exe did not open the summary"
expect_status 4 "batch, its summary held open"
expect_err 'cannot write held\summary.csv: ' "batch, its summary held open"
expect_err 'the summary in held is not this run'"'"'s: what it says is stale' "batch, its summary held open"
printf 'the reason Wine gave: %s\n' "$(grep -m1 'cannot write held' <<<"$err")"
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null

wine_run vokqm7.exe batch three.csv -o single "${options[@]}" --year 2026 --type syb \
  --template "Z:${model//\//\\}\\国税申报\\hxsyb.rep"
expect_status 0 "--type syb"
expect_file_has bin/single/202-2026-11-syb.xml "<SB_SYB>" "--type syb"
wine_run vokqm7.exe batch three.csv -o checked "${options[@]}" --year 2026 --check
expect_status 0 "--check"
expect_out "  line 3: 202 2026-11 (server demo-server) -> 202-2026-11.xml: made" "--check"
wine_run vokqm7.exe batch names.csv -o checked "${options[@]}" --year 2026 --check
expect_status 1 "--check, bad rows"
[ ! -e bin/checked ] || fail "--check made the folder"

# Reruns, the main cases of the native batch-reruns group: a partial rerun
# keeps the folder's other rows, --resume after the server changed makes
# every document again, bad servers are bad rows, and what a killed run
# left (Windows names a replacement's temporary file vokXXXX.tmp) goes.
printf 'account\n601\n602\n603\n' >bin/reruns.csv
printf 'account\n602\n' >bin/rerun-one.csv
wine_run vokqm7.exe batch reruns.csv -o reruns --period 11 --year 2026 --server wrong
expect_status 0 "reruns: a full run"
printf 'x' >bin/reruns/vok1A2B.tmp
printf 'x' >bin/reruns/601-2026-11.xml.part
rm -f "$log"
wine_run vokqm7.exe batch rerun-one.csv -o reruns --period 11 --year 2026 --server wrong --resume
expect_status 0 "reruns: a partial rerun"
[ ! -s "$log" ] || fail "reruns: a partial --resume made $(tool_runs "$log" 1)"
expect_summary_csv bin/reruns/summary.csv "reruns: a partial rerun" \
  "602|2026|11|GetReportDate|kept|passed||602-2026-11.xml" \
  "601|2026|11|GetReportDate|not in this run (made)|passed||601-2026-11.xml" \
  "603|2026|11|GetReportDate|not in this run (made)|passed||603-2026-11.xml"
[ ! -e bin/reruns/vok1A2B.tmp ] && [ ! -e bin/reruns/601-2026-11.xml.part ] ||
  fail "reruns: what a killed run left stays: $(ls bin/reruns | tr '\n' ' ')"
rm -f "$log"
wine_run vokqm7.exe batch reruns.csv -o reruns --period 11 --year 2026 --server right --resume
expect_status 0 "reruns: --resume after the server changed"
[ "$(tool_runs "$log" 1)" = "601 601 602 602 603 603 " ] ||
  fail "reruns: --resume after the server changed made $(tool_runs "$log" 1)"
[ "$(ls bin/reruns/earlier | grep -c '\.xml$')" -eq 3 ] || fail "reruns: earlier/ holds $(ls bin/reruns/earlier)"
[ "$(summary_inputs bin/reruns/summary.csv 601-2026-11.xml | cut -d'|' -f1)" = right ] ||
  fail "reruns: the summary records $(summary_inputs bin/reruns/summary.csv 601-2026-11.xml)"
printf 'account,server\n701,"s""1"\n702,"s{1"\n703,"s\n1"\n704,s1\n' >bin/servers.csv
rm -f "$log"
wine_run vokqm7.exe batch servers.csv -o servers --period 11 --year 2026
expect_status 1 "bad servers"
expect_err "line 2, column 2 (server): \"s\"1\" holds a double quote" "bad servers"
expect_err "line 3, column 2 (server): \"s{1\" holds a brace" "bad servers"
expect_err "holds a control character: the report tool's command line cannot carry it" "bad servers"
[ "$(tool_runs "$log" 1)" = "704 704 " ] || fail "bad servers: the tool ran for $(tool_runs "$log" 1)"
wine_run vokqm7.exe report-date --account 001 --year 2026 --period 11 --server 's{1' -o refused.xml
expect_status 2 "report-date, a server with a brace"
