# batch reruns into a folder an earlier run filled: the summary stays the
# folder's record, --resume keeps only what the same inputs made, a server
# the report tool's command line cannot carry is a bad row, what a killed
# run left goes, and --check says whether the folder can be written.
. "$here/batch-helpers.sh"
log=$vok/vokwqm7.log
options=(--year 2026 --period 11)
printf 'account\n401\n402\n403\n' >three.csv
printf 'account\n402\n' >one.csv
# The servers of the tool's runs in its log since line $1.
tool_servers() { tail -n +"$1" "$log" | sed -E 's/^-LQM7_VOK\{[^ ]* +[0-9]+ [^ ]* "([^"]*)" .*/\1/' | tr '\n' ' '; }

# A full run, then a partial rerun: the other rows stay as they were.
run "$tool" batch three.csv -o month "${options[@]}" --server s1 --html
expect_status 0 "a full run"
before=$(summary_rows month/summary.csv | grep -v '^402|')
rows_403=$(grep '^403,' month/summary.csv)
run env VOKWQM7_NO_OUTPUT_ACCOUNT=402 "$tool" batch one.csv -o month "${options[@]}" --server s1 --html
expect_status 1 "a partial rerun"
expect_summary_csv month/summary.csv "a partial rerun" \
  "402|2026|11|GetReportDate|FAILED||$batch_message; no current filing, the earlier document is now earlier/$(ls month/earlier | grep xml)|402-2026-11.xml" \
  "401|2026|11|GetReportDate|not in this run (made)|passed||401-2026-11.xml" \
  "403|2026|11|GetReportDate|not in this run (made)|passed||403-2026-11.xml"
[ "$(grep '^403,' month/summary.csv | sed 's/,not in this run (made),/,made,/')" = "$rows_403" ] ||
  fail "a partial rerun: 403's row changed beyond its result: $(grep '^403,' month/summary.csv)"
expect_out "1 row: 0 made and passed their checks, 1 export failed; 2 more rows of the folder not in this run" "a partial rerun"
expect_file_has month/summary.html '<tr class="other"><td>401</td>' "a partial rerun's page"
# Again: a rerun reads what the last one kept and keeps it once more.
rm -f "$log"
run "$tool" batch one.csv -o month "${options[@]}" --server s1 --resume
expect_status 0 "a second partial rerun"
[ "$(tool_runs "$log" 1)" = "402 402 " ] || fail "a second partial rerun made $(tool_runs "$log" 1)"
[ "$(summary_rows month/summary.csv | grep -v '^402|' | sed 's/not in this run (\(.*\))/\1/')" = "$before" ] ||
  fail "a second partial rerun: the other rows are $(summary_rows month/summary.csv)"

# --resume after one input changed: every document is made again, and the
# earlier ones, made from the other inputs, go to earlier/ first. --type
# names other documents: those of the first run stay, and so do their rows.
change_template() {
  iconv -f GBK -t UTF-8 own.rep | sed 's/单位：元/单位：人民币元/' | iconv -f UTF-8 -t GBK >own.new &&
    mv own.new own.rep
}
while IFS='|' read -r what first second made server; do
  rm -rf changed own.rep && cp "$model/国税申报/hxsyb.rep" own.rep && cp "$model/国税申报/hxzcfzb.rep" own-zcfzb.rep
  run "$tool" batch three.csv -o changed "${options[@]}" $first
  expect_status 0 "$what: the first run"
  documents=$(ls changed | grep '\.xml$' | tr '\n' ' ')
  [ "$what" = "the template content" ] && change_template
  rm -f "$log"
  run "$tool" batch three.csv -o changed "${options[@]}" $second --resume
  expect_status 0 "$what: --resume"
  [ "$(tool_runs "$log" 1)" = "$made" ] || fail "$what: --resume made $(tool_runs "$log" 1)"
  [ -z "$server" ] || [ "$(tool_servers 1)" = "$server" ] || fail "$what: the tool ran with $(tool_servers 1)"
  [ -z "$server" ] || [ "$(summary_inputs changed/summary.csv 403-2026-11.xml | cut -d'|' -f1)" = right ] ||
    fail "$what: the summary records $(summary_inputs changed/summary.csv 403-2026-11.xml)"
  set_aside=$(ls changed/earlier 2>/dev/null | grep -c '\.xml$')
  if [ "$what" = --type ]; then
    [ "$set_aside" -eq 0 ] || fail "$what: documents of another name set aside"
    [ "$(summary_rows changed/summary.csv | grep -c '|not in this run (made)|passed||40[123]-2026-11-syb.xml$')" -eq 3 ] ||
      fail "$what: the summary lost the syb rows: $(summary_rows changed/summary.csv)"
    for document in $documents; do [ -e "changed/$document" ] || fail "$what: $document is gone"; done
  else
    [ "$set_aside" -eq 3 ] || fail "$what: earlier/ holds $(ls changed/earlier 2>/dev/null)"
    expect_file_has changed/summary.csv "made again as its inputs changed, the earlier document is now earlier/401-2026-11" "$what"
    # What is made again from unchanged inputs is kept the next time.
    rm -f "$log"
    run "$tool" batch three.csv -o changed "${options[@]}" $second --resume
    [ ! -s "$log" ] || fail "$what: a second --resume made $(tool_runs "$log" 1)"
  fi
done <<'EOF_CASES'
the server|--server wrong|--server right|401 401 402 402 403 403 |right right right right right right 
the template content|--server s1 --type syb --template own.rep|--server s1 --type syb --template own.rep|401 402 403 |
the export|--server s1|--server s1 --financial|401 401 402 402 403 403 |
--type|--server s1 --type syb --template own.rep|--server s1 --type zcfzb --template own-zcfzb.rep|401 402 403 |
EOF_CASES

# A server the report tool's command line cannot carry: a bad row with the
# reason, as an option a usage error, and the tool never runs for it.
printf 'account,server\n501,"s""1"\n502,"s{1"\n503,"s\n1"\n504,s1\n' >servers.csv
rm -f "$log"
run "$tool" batch servers.csv -o servers "${options[@]}"
expect_status 1 "bad servers"
reason="the report tool's command line cannot carry it; the row is skipped"
while IFS='|' read -r line held what; do
  expect_err "servers.csv: line $line, column 2 (server): \"$held" "server on line $line"
  expect_err "holds $what: $reason" "server on line $line"
done <<'EOF_CASES'
2|s"1" |a double quote
3|s{1" |a brace
4|s|a control character
EOF_CASES
[ "$(tool_runs "$log" 1)" = "504 504 " ] || fail "bad servers: the tool ran for $(tool_runs "$log" 1)"
[ "$(summary_rows servers/summary.csv | grep -c '|bad row|')" -eq 3 ] || fail "bad servers: $(summary_rows servers/summary.csv)"
run "$tool" batch one.csv -o servers "${options[@]}" --server 's"1'
expect_status 2 "--server with a double quote"
expect_err "--server \"s\"1\" holds a double quote" "--server with a double quote"
while read -r -a command; do
  for server in 's"1' 's{1' 's 1'; do
    run "$tool" "${command[@]}" --account 101 --year 2026 --period 11 --server "$server"
    expect_status 2 "${command[*]} --server '$server'"
    expect_err "--server \"$server\" holds a" "${command[*]} --server '$server'"
  done
done <<'EOF_CASES'
report-date -o refused.xml
report --type syb --template x.rep -o refused.xml
export --template x.rep --data refused.xml
open --user u --password p --login-date 2026-11-30 --template x.rep
EOF_CASES
[ "$(tool_runs "$log" 1)" = "504 504 " ] || fail "a refused server ran the tool"

# What a killed run left under temporary names goes at the next start;
# what is not the batch's stays.
mkdir -p leftovers
for name in summary.csv.tmp.Ab12Cd summary.html.tmp.x9Y8z7 401-2026-11.xml.part 华信-2026-10.xml.part \
  notes.tmp.txt summary.csv.tmp.toolong; do
  printf 'x' >"leftovers/$name"
done
run "$tool" batch one.csv -o leftovers "${options[@]}" --server s1
expect_status 0 "leftovers"
[ "$(ls leftovers | tr '\n' ' ')" = "402-2026-11.xml notes.tmp.txt summary.csv summary.csv.tmp.toolong " ] ||
  fail "leftovers: the folder holds $(ls leftovers | tr '\n' ' ')"
expect_err "removed what a killed run left in leftovers: " "leftovers"

# --check says whether the folder can be written, and writes nothing there.
mkdir -p blocked/summary.csv
touch a-file
while IFS='|' read -r folder status_expected said; do
  run "$tool" batch one.csv -o "$folder" "${options[@]}" --server s1 --check
  expect_status "$status_expected" "--check -o $folder"
  expect_out "$said" "--check -o $folder"
done <<'EOF_CASES'
month|0|month can be written
month|0|2 more rows of the summary in month are not in this run and stay as they are
new/deeper|0|new/deeper can be written
blocked|4|blocked/summary.csv cannot be written: it is a folder
a-file|4|a-file is no folder
a-file/deeper|4|a-file/deeper cannot be made: a-file is no folder
EOF_CASES
[ ! -e new ] && [ "$(ls month | grep -c check)" -eq 0 ] || fail "--check wrote into a folder"
