# trace on, off and show, and what doctor says of tracing.
registry_value=$VOKQM7_REGISTRY/HKEY_CURRENT_USER/Software/VOKQM7/TraceFile
expect_line() { grep -qE -- "$1" <<<"$out" || fail "$2: no line like '$1'"; }

run "$tool" doctor
expect_out "ok       tracing is off" "doctor, tracing off"

trace=$work/traces/trace.log
mkdir -p "$work/traces"
run "$tool" trace on "$trace"
expect_status 0 "trace on"
expect_out "tracing is on: every call of the library by this user from now on writes to $trace" "trace on"
[ "$(cat "$registry_value" 2>/dev/null)" = "$trace" ] || fail "trace on did not set $registry_value"
run "$tool" doctor
expect_out "note     tracing is on: calls write to $trace (set by HKEY_CURRENT_USER\\Software\\VOKQM7\\TraceFile" "doctor, tracing on"

# A call that works and one that fails, each in a process of its own.
run "$tool" report-date "${login[@]}" -o national.xml
expect_status 0 "report-date, traced"
mv "$model/国税申报/hxzcfzb.rep" "$work/hxzcfzb.rep"
run "$tool" report-date "${login[@]}" -o none.xml
mv "$work/hxzcfzb.rep" "$model/国税申报/hxzcfzb.rep"
printf '%s\n' "$work/nowhere" >"$value_file"
run "$tool" report-date --financial "${login[@]}" -o none.xml
printf '%s\n' "$install" >"$value_file"

run "$tool" trace show
expect_status 0 "trace show"
expect_out "3 of 3 call(s) in $trace:" "trace show"
expect_line '^[0-9-]{10} [0-9:.]{12}  GetReportDate +001/2026/11 +ok +[0-9]+ *$' "trace show, the call that worked"
expect_line 'GetReportDate +001/2026/11 +-1 +[0-9]+ +staging +复制资产负债表模版文件出错，请检查模版文件是否存在!$' "trace show, the staging failure"
expect_line 'GetReportDateV2 +001/2026/11 +-1 +[0-9]+ +staging +复制损益表模版文件出错，请检查模版文件是否存在!$' "trace show, no installation where the registry points"
expect_out "The last call, event by event:" "trace show"
expect_line "  install.location  source=registry  value=$work/nowhere  location=$work/nowhere\\\\vok" "trace show, the last call's detail"
expect_line '  install.lock  outcome=not to be had$' "trace show, the last call's detail"
expect_line "  template.copy_failed  template=$work/nowhere\\\\vok.*lrb.rep" "trace show, the last call's detail"

run "$tool" trace show --last 1
expect_out "1 of 3 call(s)" "trace show --last 1"
expect_no_out "复制资产负债表模版" "trace show --last 1"

run "$tool" trace off
expect_status 0 "trace off"
[ ! -e "$registry_value" ] || fail "trace off left $registry_value"
before=$(wc -c <"$trace")
run "$tool" report-date "${login[@]}" -o national.xml
[ "$(wc -c <"$trace")" -eq "$before" ] || fail "a call traced after trace off"
run "$tool" trace show
expect_status 2 "trace show with tracing off and no FILE"
run "$tool" trace show "$trace"
expect_status 0 "trace show FILE"

# The environment variable wins, and trace on and off say so.
VOKQM7_TRACE=$work/traces/env.log run "$tool" trace on "$trace"
expect_out "note: VOKQM7_TRACE=$work/traces/env.log is set here and takes precedence" "trace on under VOKQM7_TRACE"
VOKQM7_TRACE=$work/traces/env.log run "$tool" report-date "${login[@]}" -o national.xml
expect_file_has "$work/traces/env.log" "event=call.begin export=GetReportDate" "VOKQM7_TRACE"
run "$tool" trace off

printf 'just some text\n' >"$work/not-a-trace.log"
run "$tool" trace show "$work/not-a-trace.log"
expect_status 1 "trace show, not a trace"
expect_err "is no trace of this library" "trace show, not a trace"
run "$tool" trace show "$work/missing.log"
expect_status 4 "trace show, missing file"

# A pipe no one reads or a link at the trace path, as a shared folder may
# hold: the call neither waits for a reader nor writes through the link,
# doctor says why, and trace on refuses the path (timeout ends a call that
# would hang).
mkfifo "$work/traces/pipe.log"
ln -s "$work/traces/elsewhere.log" "$work/traces/link.log"
# trace file | what doctor and trace on say of it
while IFS='|' read -r name says; do
  VOKQM7_TRACE=$work/traces/$name run timeout 20 "$tool" report-date "${login[@]}" -o "untraced-$name.xml"
  expect_status 0 "report-date traced to $name"
  [ -s "untraced-$name.xml" ] || fail "report-date traced to $name wrote no document"
  [ ! -e "$work/traces/elsewhere.log" ] || fail "report-date traced through $name"
  VOKQM7_TRACE=$work/traces/$name run timeout 20 "$tool" doctor
  expect_out "note     tracing is on, set by the environment variable VOKQM7_TRACE, but $work/traces/$name $says: calls are not traced" "doctor, trace to $name"
  run timeout 20 "$tool" trace on "$work/traces/$name"
  expect_status 4 "trace on $name"
  expect_err "cannot trace to $work/traces/$name: it $says" "trace on $name"
done <<'TABLE'
pipe.log|is no plain file (a folder, a pipe or a device)
link.log|is a link, which the library does not follow
TABLE
[ -p "$work/traces/pipe.log" ] || fail "the pipe at the trace path was replaced"

# trace show's filters over a trace of mixed calls: accounts, days,
# exports, results, and a call whose end is not in the file.
mixed=$work/traces/mixed.log
{
  call() {  # pid, day and time, export, account, result ("" for no end)
    printf '%s.000 pid=%s tid=1 call=1 event=call.begin export=%s\n' "$2" "$1" "$3"
    printf '%s.001 pid=%s tid=1 call=1 event=login account=%s year=2026 period=11 server=s\n' "$2" "$1" "$4"
    [ -z "$5" ] || printf '%s.002 pid=%s tid=1 call=1 event=call.end result=%s ms=2\n' "$2" "$1" "$5"
  }
  call 10 "2026-12-01 09:00:00" GetReportDate 105 0
  call 11 "2026-12-07 10:00:00" GetReportDate 105 -1
  call 12 "2026-12-08 11:00:00" GetReportV2 105 ""
  call 13 "2026-12-08 12:00:00" GetReportDate 200 -1
  call 14 "2026-12-09 08:00:00" GetReportDateV2 105 0
} >"$mixed"
# options | status | the first line of the output | pids listed, in order
while IFS='|' read -r options expected first pids; do
  read -ra words <<<"$options"
  words=("${words[@]//_/ }")  # "_" stands for a blank inside one option
  run "$tool" trace show "$mixed" --last 0 "${words[@]}"
  expect_status "$expected" "trace show $options"
  [ "$expected" -ne 0 ] && continue
  [ "$(head -n 1 <<<"$out")" = "$first" ] || fail "trace show $options: first line '$(head -n 1 <<<"$out")', not '$first'"
  listed=$(sed -n '3,/^$/p' <<<"$out" | grep -oE '^2026-12-0[0-9] [0-9:]{8}' | tr '\n' ' ')
  [ "$listed" = "$pids" ] || fail "trace show $options: calls begun '$listed', not '$pids'"
done <<TABLE
--failed|0|3 of 3 call(s) matching --failed (of 5 in $mixed):|2026-12-07 10:00:00 2026-12-08 11:00:00 2026-12-08 12:00:00 
--account 105|0|4 of 4 call(s) matching --account 105 (of 5 in $mixed):|2026-12-01 09:00:00 2026-12-07 10:00:00 2026-12-08 11:00:00 2026-12-09 08:00:00 
--since 2026-12-07|0|4 of 4 call(s) matching --since 2026-12-07 (of 5 in $mixed):|2026-12-07 10:00:00 2026-12-08 11:00:00 2026-12-08 12:00:00 2026-12-09 08:00:00 
--since 2026-12-08_11:30|0|2 of 2 call(s) matching --since 2026-12-08 11:30 (of 5 in $mixed):|2026-12-08 12:00:00 2026-12-09 08:00:00 
--export getreportdate|0|3 of 3 call(s) matching --export getreportdate (of 5 in $mixed):|2026-12-01 09:00:00 2026-12-07 10:00:00 2026-12-08 12:00:00 
--failed --account 105 --since 2026-12-07 --export GetReportDate|0|1 of 1 call(s) matching --failed --account 105 --since 2026-12-07 --export GetReportDate (of 5 in $mixed):|2026-12-07 10:00:00 
--account 999|0|none of the 5 call(s) in $mixed matches --account 999|
--since 7.12.2026|2||
TABLE

# The machine-wide switch, for clients that run as another account; the
# user's switch and the environment variable win over it, in that order.
machine_value=$VOKQM7_REGISTRY/HKEY_LOCAL_MACHINE/Software/VOKQM7/TraceFile
# It takes a file every account may write, and a folder every account may
# make the next one in: anything less is refused and no switch set.
# file | its mode (- none) | the folder's mode | status | what it says
mkdir -p "$work/shared"
while IFS='|' read -r name mode folder_mode expected says; do
  rm -f "$work/shared/machine.log"
  [ "$mode" = - ] || { : >"$work/shared/machine.log"; chmod "$mode" "$work/shared/machine.log"; }
  chmod "$folder_mode" "$work/shared"
  run "$tool" trace on --machine ${name:+"$work/shared/$name"}
  expect_status "$expected" "trace on --machine $name $mode $folder_mode"
  expect_err "$says" "trace on --machine $name $mode $folder_mode"
  [ ! -e "$machine_value" ] || fail "trace on --machine $name $mode $folder_mode set the switch"
  [ "$mode" != - ] || [ ! -e "$work/shared/machine.log" ] || fail "a refused trace on --machine left machine.log"
done <<TABLE
|-|0777|2|the machine-wide switch needs a FILE that every user of this machine can write
machine.log|-|0777|4|not every user of this machine can write $work/shared/machine.log and make a new one beside it
machine.log|0600|0777|4|not every user of this machine can write $work/shared/machine.log
machine.log|0666|0755|4|not every user of this machine can write $work/shared/machine.log
TABLE
chmod 0777 "$work/traces"
: >"$work/traces/machine.log"
chmod 0666 "$work/traces/machine.log"
run "$tool" trace on --machine "$work/traces/machine.log"
expect_status 0 "trace on --machine"
expect_out "tracing is on: every call of the library by any user of this machine from now on writes to $work/traces/machine.log" "trace on --machine"
[ "$(cat "$machine_value" 2>/dev/null)" = "$work/traces/machine.log" ] || fail "trace on --machine did not set $machine_value"
run "$tool" trace on "$work/traces/user.log"
# switches set (env, user) | the file a call writes to | what doctor says
while IFS='|' read -r env user traced doctor_says; do
  [ "$user" = on ] || run "$tool" trace off
  [ "$user" = on ] && run "$tool" trace on "$work/traces/user.log"
  rm -f "$work/traces/"{machine,user,env}.log
  if [ "$env" = on ]; then
    VOKQM7_TRACE=$work/traces/env.log run "$tool" report-date "${login[@]}" -o national.xml
    VOKQM7_TRACE=$work/traces/env.log run "$tool" doctor
  else
    run "$tool" report-date "${login[@]}" -o national.xml
    run "$tool" doctor
  fi
  expect_file_has "$work/traces/$traced.log" "event=call.begin export=GetReportDate" "env $env, user $user"
  for other in machine user env; do
    [ "$other" = "$traced" ] || [ ! -e "$work/traces/$other.log" ] || fail "env $env, user $user: $other.log written too"
  done
  expect_out "$doctor_says" "doctor, env $env, user $user"
done <<TABLE
on|on|env|(set by the environment variable VOKQM7_TRACE
off|on|user|the machine-wide switch HKEY_LOCAL_MACHINE\\Software\\VOKQM7\\TraceFile = $work/traces/machine.log is set too; for this user HKEY_CURRENT_USER\\Software\\VOKQM7\\TraceFile takes precedence
off|off|machine|(set by HKEY_LOCAL_MACHINE\\Software\\VOKQM7\\TraceFile, the machine-wide switch
TABLE
run "$tool" trace off --machine
expect_status 0 "trace off --machine"
[ ! -e "$machine_value" ] || fail "trace off --machine left $machine_value"
