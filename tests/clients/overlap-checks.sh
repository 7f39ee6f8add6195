# Calls that overlap on one installation, as an accounting office makes
# them; sourced by the native group (tests/tool/groups-overlap.sh) and the
# Wine one (tests/wine/tool-groups-overlap.sh), which provide:
#   vok            the installation folder (a Linux path)
#   filing_data    tests/data/filing
#   out_folder     where the client writes its documents, as it names it
#   trace_file     the trace every client writes to (a Linux path), and
#   trace_setting  the same as the client names it (VOKQM7_TRACE)
#   client_start LOG ARGS...   the client in the background ($started: its
#                              pid), with the assignments of start_env
#   client_run ARGS...         the client, waited for ($status, $out)
#   tool_ends_with_host        yes where the system ends the report tool
#                              with the client (a job object), else no
# and assert.sh's fail/expect_*.

out= err=

# Templates whose figures the stand-in tool makes from the account.
national=$vok/vokModel/国税申报
sed 's|<value>1000.00</value>|<value>{account}.00</value>|' "$filing_data/income.rep" \
  >"$national/hxsyb.rep"
sed 's|<value>200.00</value>|<value>{account}.00</value>|g' "$filing_data/balance.rep" \
  >"$national/hxzcfzb.rep"
grep -q '{account}' "$national/hxsyb.rep" && grep -q '{account}' "$national/hxzcfzb.rep" ||
  fail "the fixture templates have no figure to make from the account"
rm -f "$vok/vokwqm7.log"

# The trace past its cap when they start: each process's first call finds
# it full, one of them moves it to ".1" and the others write to the fresh
# file, so that the full generation is kept whole and nothing but the
# oldest one is lost.
head -c $((10 * 1024 * 1024 + 1)) /dev/zero | tr '\0' 'o' >"$trace_file"
printf 'the oldest generation\n' >"$trace_file.1"
full_generation=$(sha256sum <"$trace_file")

# Six processes of four calls each, all at once, with tools that take
# between 20 and 250 ms and write their export in two parts.
pids=()
for p in 0 1 2 3 4 5; do
  start_env=(VOKWQM7_SLEEP_MS=$((20 + p * 46)) VOKWQM7_WRITE_PAUSE_MS=20
    VOKQM7_TRACE="$trace_setting")
  client_start "$vok/../process-$p.log" 1 4 $((100000 + p * 10)) "$out_folder"
  pids+=("$started")
done
for p in "${!pids[@]}"; do
  wait "${pids[$p]}"
  code=$?
  log=$(tr -d '\r' <"$vok/../process-$p.log")
  [ "$code" -eq 0 ] && [ "$(tail -n 1 <<<"$log")" = "4 calls, 4 with their own figures" ] ||
    fail "process $p of six: exit status $code: $log; the trace's failures:
$(grep -a -E 'event=(tool\.(not_|terminated)|install\.lock_(refused|failed)|export\.missing|file\.not_removed|call\.end result=-)' "$trace_file" | tail -n 12)"
done

# One process, four threads of three calls each.
start_env=(VOKWQM7_WRITE_PAUSE_MS=20 VOKQM7_TRACE="$trace_setting")
client_run 4 3 100100 "$out_folder"
expect_status 0 "four threads"
expect_out "12 calls, 12 with their own figures" "four threads"

# The tool's runs never overlapped: each appends a line to its log by
# reading and rewriting it, and overlapping runs would lose lines.
runs=$(grep -c . "$vok/vokwqm7.log")
[ "$runs" -eq 72 ] || fail "the tool's log holds $runs runs, not the 72 of 36 calls"

# A holder killed in the middle of its tool run blocks nobody.
rm -f "$vok/vokwqm7.args"
start_env=(VOKWQM7_SLEEP_MS=4000 VOKWQM7_NO_OUTPUT=1 VOKQM7_TRACE="$trace_setting")
client_start "$vok/../killed.log" 1 1 100300 "$out_folder"
for _ in $(seq 300); do
  [ -e "$vok/vokwqm7.args" ] && break
  sleep 0.05
done
[ -e "$vok/vokwqm7.args" ] || fail "the holder never started its tool"
kill -9 "$started"
wait "$started" 2>/dev/null
start_env=(VOKQM7_TRACE="$trace_setting")
client_run 1 1 100301 "$out_folder"
expect_status 0 "after a holder was killed"
expect_out "1 calls, 1 with their own figures" "after a holder was killed"

[ "$(sha256sum <"$trace_file.1")" = "$full_generation" ] ||
  fail "the full trace generation is not what $trace_file.1 holds: $(head -c 100 "$trace_file.1")"
# The trace of all of them, from seven processes and four threads at once:
# every line whole, every call begun, every one but the killed one ended.
line='^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} pid=[0-9]+ tid=[0-9]+ call=[0-9]+ event=[a-z_.]+( .*)?$'
mixed=$(grep -cvE "$line" "$trace_file")
[ "$mixed" -eq 0 ] || fail "$mixed line(s) of the trace are not whole: $(grep -vE "$line" "$trace_file" | head -n 3)"
begun=$(grep -c ' event=call.begin ' "$trace_file")
ended=$(grep -c ' event=call.end result=0 ' "$trace_file")
[ "$begun" -eq 38 ] && [ "$ended" -eq 37 ] ||
  fail "the trace holds $begun calls begun and $ended ended, not 38 and 37"

# Nothing new in the installation folder: what a successful call leaves,
# the tools, their records and the templates (and, on Windows, the lock
# file that keeps other computers out).
listing=$(ls -A "$vok" | grep -vx 'vokqm7.lock' | sort | tr '\n' ' ')
[ "$listing" = "rep_vok.xml rep_vok1.xml rep_vok2.xml vokModel vokdesk.exe vokwqm7.args vokwqm7.exe vokwqm7.log " ] ||
  fail "the installation folder holds: $listing"

# A caller killed while its tool runs (3 s, writing its export late), then a
# call for another account: the first tool must be gone before that call
# touches a file. Where the system ends the tool with its host
# ($tool_ends_with_host=yes) it is gone before the next call starts; else
# the next call ends it first (install.orphan_ended before it holds the
# installation). The next call's tool writes nothing and the call must fail
# with its own first run's message (not succeed with the first account's
# figures, nor fail later with the second run's), or it writes at once and
# its figures must stay its own after the first tool's time is past.
income_missing='接口程序无损益表数据文件输出!'
killed_cases=(
  "100310 100311 VOKWQM7_SLEEP_MS=3000 VOKWQM7_NO_OUTPUT_ACCOUNT=100311"
  "100320 100321"
)
for case in "${killed_cases[@]}"; do
  read -r first next next_env <<<"$case"
  rm -f "$vok/vokwqm7.args" "$trace_file"
  start_env=(VOKWQM7_SLEEP_MS=3000 VOKQM7_TRACE="$trace_setting")
  client_start "$vok/../killed-$first.log" 1 1 "$first" "$out_folder"
  for _ in $(seq 300); do
    grep -q "{$first " "$vok/vokwqm7.args" 2>/dev/null && break
    sleep 0.05
  done
  grep -q "{$first " "$vok/vokwqm7.args" 2>/dev/null || fail "account $first: the holder never started its tool"
  tool_started=$(date +%s)
  sleep 1
  kill -9 "$started"
  wait "$started" 2>/dev/null
  start_env=(VOKQM7_TRACE="$trace_setting" $next_env)
  client_run 1 1 "$next" "$out_folder"
  said=$(iconv -f GBK -t UTF-8 <<<"$out" 2>/dev/null)
  # Past the moment the first tool would have written its export.
  while [ "$(date +%s)" -le $((tool_started + 4)) ]; do sleep 0.2; done
  if [[ $next_env == *NO_OUTPUT* ]]; then
    [ "$status" -ne 0 ] && grep -qF "returned -1: $income_missing" <<<"$said" ||
      fail "account $next after a killed caller: status $status: $said"
    [ ! -e "$vok/rep_vok.xml" ] || fail "account $next: the killed caller's tool wrote its export late"
  else
    [ "$status" -eq 0 ] && grep -qF "1 calls, 1 with their own figures" <<<"$said" ||
      fail "account $next after a killed caller: status $status: $said"
    grep -q "$next" "$vok/rep_vok.xml" && ! grep -q "$first" "$vok/rep_vok.xml" ||
      fail "account $next: the killed caller's tool wrote its export late"
  fi
  trace=$(tr -d '\r' <"$trace_file")
  next_pid=$(grep ' event=call.begin ' <<<"$trace" | tail -n 1 | sed -E 's/.* pid=([0-9]+) .*/\1/')
  events=$(grep " pid=$next_pid " <<<"$trace" | sed -E 's/.* event=([a-z_.]+).*/\1/' | tr '\n' ' ')
  tied=$(grep ' event=tool.started .*ends_with_host=yes' <<<"$trace" | grep -vc " pid=$next_pid ")
  if [ "$tool_ends_with_host" = yes ]; then
    [ "$tied" -eq 1 ] && [[ $events != *install.orphan_ended* ]] ||
      fail "account $next: the killed caller's tool outlived it: $events"
  else
    [[ $events == *" install.orphan_ended install.lock "* ]] ||
      fail "account $next: the killed caller's tool was not ended before the call's first file: $events"
  fi
done
