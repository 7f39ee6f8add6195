# Overlapping calls through libVOKQM7.so from several processes and threads
# (tests/clients/overlap-checks.sh); "$tool" is the client
# tests/clients/overlapping_calls.
filing_data=$here/../data/filing
mkdir -p "$work/out"
out_folder=$work/out
trace_file=$work/trace.log
trace_setting=$trace_file
# Nothing ends a POSIX tool with its host: the next call does.
tool_ends_with_host=no

start_env=()
client_start() {
  local log=$1
  shift
  env "${start_env[@]}" "$tool" "$@" >"$log" 2>&1 &
  started=$!
}
client_run() { run env "${start_env[@]}" "$tool" "$@"; }

. "$here/../clients/overlap-checks.sh"
