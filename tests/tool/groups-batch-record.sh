# batch never loses a record or a filing: a resumed run killed at each
# stage, a failing rerun, names that cannot collide, a summary that cannot
# be written, single statements, and --check.
. "$here/batch-helpers.sh"
log=$vok/vokwqm7.log
options=(--year 2026 --period 11 --server demo-server)
printf 'account\n101\n102\n103\n' >three.csv

# The pid of the one child of process $1, once it has one.
child_of() {
  local pid
  for _ in $(seq 500); do
    pid=$(ps -o pid= --ppid "$1" | head -n 1 | tr -d ' ')
    [ -n "$pid" ] && { echo "$pid"; return; }
    sleep 0.02
  done
}

# Run 1: 101 fails, 102 and 103 are made and pass.
run env VOKWQM7_NO_OUTPUT_ACCOUNT=101 "$tool" batch three.csv -o first "${options[@]}"
expect_status 1 "first run"
cp -r first first.saved

# A second run with --resume, killed with SIGKILL at one stage; then a third
# --resume finishes it. Each stage: where it is stopped (strace holds the
# batch at its renames: at the 1st, the first summary, or at each from the
# 4th on, the summary after 101's row, the library's write and the
# document's own move being the 2nd and 3rd), which accounts the third run
# makes, and what summary.csv says of 101 after the kill.
command -v strace >/dev/null || fail "strace is missing (scripts/install-deps native): a batch is not killed at each stage"
if command -v strace >/dev/null; then
  while IFS='|' read -r stage inject remade summary_101; do
    rm -rf killed && cp -r first.saved killed && rm -f "$log"
    if [ "$stage" = mid-row ]; then
      env VOKWQM7_SLEEP_MS=1500 "$tool" batch three.csv -o killed "${options[@]}" --resume \
        >/dev/null 2>&1 &
      batch=$!
      for _ in $(seq 200); do [ -s "$log" ] && break; sleep 0.02; done
      report_tool=$(child_of "$batch")
    else
      strace -o /dev/null -e trace=rename,renameat,renameat2 -e "inject=rename,renameat,renameat2:$inject" \
        "$tool" batch three.csv -o killed "${options[@]}" --resume >/dev/null 2>&1 &
      tracer=$!
      batch=$(child_of "$tracer")
      reached=
      for _ in $(seq 500); do
        reached=yes
        case $stage in
          first-summary-written) compgen -G 'killed/summary.csv.tmp.*' >/dev/null && break ;;
          # The row's document in place, its summary still a temporary file.
          summary-written) [ -e killed/101-2026-11.xml ] &&
            compgen -G 'killed/summary.csv.tmp.*' >/dev/null && break ;;
          between-rows) grep -q '^101,.*,made,' killed/summary.csv && break ;;
        esac
        reached=
        sleep 0.02
      done
      [ -n "$reached" ] || fail "killed $stage: the batch never got there"
      report_tool=
    fi
    kill -KILL "$batch" || fail "killed $stage: there was no batch process '$batch' to kill"
    wait 2>/dev/null
    # The report tool of a killed batch runs to its end; the next run waits for it.
    while [ -n "$report_tool" ] && [ -e "/proc/$report_tool" ]; do sleep 0.05; done
    wait_for_report_tools "$vok"
    rows=$(summary_rows killed/summary.csv | tr '\n' ' ')
    [[ $rows == *"101|2026|11|$summary_101|101-2026-11.xml"* ]] ||
      fail "killed $stage: summary.csv says of 101: $rows"
    [[ $rows == *"102|2026|11|GetReportDate|"*"made)|passed||102-2026-11.xml"* ||
       $rows == *"102|2026|11|GetReportDate|made|passed||102-2026-11.xml"* ]] ||
      fail "killed $stage: summary.csv lost the earlier outcome of 102: $rows"
    rm -f "$log"
    run "$tool" batch three.csv -o killed "${options[@]}" --resume
    expect_status 0 "--resume after a kill $stage"
    [ "$(tool_runs "$log" 1)" = "$remade" ] || fail "killed $stage: the third run made $(tool_runs "$log" 1)"
    for document in 102-2026-11 103-2026-11; do
      cmp -s "first.saved/$document.xml" "killed/$document.xml" || fail "killed $stage: $document.xml changed"
    done
    expect_file_has killed/101-2026-11.xml '<SB_ZCFZB>' "killed $stage: 101's document"
    [ ! -e killed/earlier ] || fail "killed $stage: documents set aside: $(ls killed/earlier)"
    ! compgen -G 'killed/*.tmp.*' >/dev/null && ! compgen -G 'killed/*.part' >/dev/null ||
      fail "killed $stage: what the killed run left stays: $(ls killed)"
  done <<'EOF'
first-summary-written|delay_enter=5000000:when=1|101 101 |GetReportDate|FAILED||接口程序无损益表数据文件输出!
mid-row||101 101 |GetReportDate|to do (FAILED)||接口程序无损益表数据文件输出!
between-rows|delay_exit=4000000:when=4+||GetReportDate|made|passed|
summary-written|delay_enter=4000000:when=4+||GetReportDate|to do (FAILED)||接口程序无损益表数据文件输出!
EOF
fi

# A rerun that fails keeps the earlier document, in earlier/ with the time
# it was written, and the summary and its page say there is no current one.
cp -r first.saved rerun
touch -d '2026-12-01 09:30:05' rerun/102-2026-11.xml
run env VOKWQM7_NO_OUTPUT_ACCOUNT=102 "$tool" batch three.csv -o rerun "${options[@]}" --html
expect_status 1 "a failing rerun"
moved=earlier/102-2026-11.20261201-093005.xml
cmp -s first.saved/102-2026-11.xml "rerun/$moved" || fail "a failing rerun: $moved is not the earlier document"
[ ! -e rerun/102-2026-11.xml ] || fail "a failing rerun left a document that looks current"
expect_summary_csv rerun/summary.csv "a failing rerun" \
  "101|2026|11|GetReportDate|made|passed||101-2026-11.xml" \
  "102|2026|11|GetReportDate|FAILED||$batch_message; no current filing, the earlier document is now $moved|102-2026-11.xml" \
  "103|2026|11|GetReportDate|made|passed||103-2026-11.xml"
expect_file_has rerun/summary.html "no current filing, the earlier document is now $moved" "a failing rerun's page"
[ "$(ls rerun | tr '\n' ' ')" = "101-2026-11.html 101-2026-11.xml 103-2026-11.html 103-2026-11.xml earlier summary.csv summary.html " ] ||
  fail "a failing rerun left $(ls rerun | tr '\n' ' ')"

# Names that cannot collide: A01 and a01 are one file on Windows; rows that
# differ only by server get it in their names; accounts the report tool's
# command line cannot carry are bad rows.
printf 'account,server\nA01,s1\na01,s1\n200,east\n200,west\n"a b",s1\n"x{y",s1\n' >names.csv
rm -f "$log"
run "$tool" batch names.csv -o names "${options[@]}"
expect_status 1 "names"
reason="the report tool's command line cannot carry it; the row is skipped"
expect_err "names.csv: line 3: account a01 for 2026-11 is already on line 2 (as A01; file names on Windows do not tell the case of letters apart); the row is skipped" "a01"
expect_err "names.csv: line 6, column 1 (account): \"a b\" holds a blank: $reason" "a blank"
expect_err "names.csv: line 7, column 1 (account): \"x{y\" holds a brace: $reason" "a brace"
[ "$(ls names | tr '\n' ' ')" = "200-east-2026-11.xml 200-west-2026-11.xml A01-2026-11.xml summary.csv " ] ||
  fail "names: the folder holds $(ls names | tr '\n' ' ')"
[ "$(sed -E 's/.*"([a-z0-9]+)" ".*/\1/' "$log" | tr '\n' ' ')" = "s1 s1 east east west west " ] ||
  fail "names: the tool ran for the servers $(cat "$log")"
# The export commands refuse such accounts too, before any call.
while read -r -a command; do
  for account in 'a b' 'x{y' 'q"t'; do
    run "$tool" "${command[@]}" --account "$account" --year 2026 --period 11 --server s
    expect_status 2 "${command[*]} --account '$account'"
    expect_err "--account \"$account\" holds a" "${command[*]} --account '$account'"
    expect_err "the report tool's command line cannot carry it" "${command[*]} --account '$account'"
  done
done <<'EOF'
report-date -o refused.xml
report --type syb --template x.rep -o refused.xml
export --template x.rep --data refused.xml
open --user u --password p --login-date 2026-11-30 --template x.rep
EOF
[ "$(wc -l <"$log")" -eq 6 ] || fail "a refused account ran the tool"

# A summary that cannot be written (read-only, as a program that holds it
# open keeps it on Windows; a folder in its way) is said at once; the next
# document is not put in place, as its row cannot be recorded first, and
# the run stops with 4. A --resume once it is free keeps what was made
# (and what the folder in its way took, nothing).
while IFS='|' read -r how reason remade; do
  rm -rf blocked
  env VOKWQM7_SLEEP_MS=700 "$tool" batch three.csv -o blocked "${options[@]}" >blocked.out 2>blocked.err &
  batch=$!
  for _ in $(seq 300); do grep -q '^101,.*,made,' blocked/summary.csv 2>/dev/null && break; sleep 0.02; done
  case $how in
    read-only) chmod a-w blocked/summary.csv ;;
    folder) rm blocked/summary.csv && mkdir blocked/summary.csv ;;
  esac
  wait "$batch"
  status=$? out=$(cat blocked.out) err=$(cat blocked.err)
  expect_status 4 "summary $how"
  expect_err "cannot write blocked/summary.csv: $reason" "summary $how"
  expect_err "[2/3] 102 2026-11: GetReportDate FAILED: not put in place, as blocked/summary.csv cannot be written to vouch for it" "summary $how"
  expect_err "the summary in blocked is not this run's: what it says is stale" "summary $how"
  [ ! -e blocked/102-2026-11.xml ] && [ ! -e blocked/103-2026-11.xml ] ||
    fail "summary $how: documents put in place without their rows: $(ls blocked)"
  rmdir blocked/summary.csv 2>/dev/null || chmod u+w blocked/summary.csv
  rm -f "$log"
  run "$tool" batch three.csv -o blocked "${options[@]}" --resume
  expect_status 0 "summary $how, then --resume"
  [ "$(tool_runs "$log" 1)" = "$remade" ] || fail "summary $how, then --resume made $(tool_runs "$log" 1)"
done <<'EOF'
read-only|Permission denied|102 102 103 103 
folder|Is a directory|101 101 102 102 103 103 
EOF
chmod -R u+w blocked

# Single statements through GetReportV2: the template from --template or a
# template column.
rm -f "$log"
run "$tool" batch three.csv -o single "${options[@]}" --type syb --template "$model/国税申报/hxsyb.rep"
expect_status 0 "--type syb"
expect_summary_csv single/summary.csv "--type syb" \
  "101|2026|11|GetReportV2|made|passed||101-2026-11-syb.xml" \
  "102|2026|11|GetReportV2|made|passed||102-2026-11-syb.xml" \
  "103|2026|11|GetReportV2|made|passed||103-2026-11-syb.xml"
expect_file_has single/102-2026-11-syb.xml "<SB_SYB>" "--type syb"
! grep -q SB_ZCFZB single/102-2026-11-syb.xml || fail "--type syb made a balance sheet"
[ "$(grep -c 'voktemp1.rep" 0 }$' "$log")" -eq 3 ] || fail "--type syb: the tool ran $(cat "$log")"
printf 'account,template\n101,%s\n102,missing.rep\n' "$model/财务申报/zcfzb.rep" >templates.csv
run "$tool" batch templates.csv -o single "${options[@]}" --type zcfzb --accounts-encoding utf-8
expect_status 1 "--type zcfzb, a template column"
expect_file_has single/101-2026-11-zcfzb.xml "<SB_ZCFZB>" "--type zcfzb"
expect_out "复制模版文件出错" "--type zcfzb, a missing template"
run "$tool" batch three.csv -o single "${options[@]}" --type zcfzb
expect_status 2 "--type without a template"
expect_err "it has no template column: give --template" "--type without a template"

# --check: what a run would do, and no tool run.
runs=$(wc -l <"$log")
while IFS='|' read -r file registry status_expected said; do
  run env VOKQM7_REGISTRY="$registry" "$tool" batch "$file" -o checked "${options[@]}" --check
  expect_status "$status_expected" "--check $file"
  expect_out "$said" "--check $file"
done <<EOF
three.csv|$VOKQM7_REGISTRY|0|  line 3: 102 2026-11 (server demo-server) -> 102-2026-11.xml: made
three.csv|$VOKQM7_REGISTRY|0|3 rows: 3 to make, 0 to keep if they still pass, 0 bad; no report tool was run
names.csv|$VOKQM7_REGISTRY|1|  line 6: bad row, skipped: line 6, column 1 (account): "a b" holds a blank
names.csv|$VOKQM7_REGISTRY|1|  line 5: 200 2026-11 (server west) -> 200-west-2026-11.xml: made
three.csv|$work/nowhere|3|PROBLEM  the registry value
EOF
run "$tool" batch three.csv -o first "${options[@]}" --check --resume
expect_status 0 "--check --resume"
expect_out "  line 3: 102 2026-11 (server demo-server) -> 102-2026-11.xml: kept when it is the one recorded and still passes its checks" "--check --resume"
expect_out "  line 2: 101 2026-11 (server demo-server) -> 101-2026-11.xml: made" "--check --resume"
[ ! -e checked ] || fail "--check made the folder"
[ "$(wc -l <"$log")" -eq "$runs" ] || fail "--check ran the tool"
