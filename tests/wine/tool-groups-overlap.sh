# Overlapping calls through the real DLL from several Windows processes and
# threads (tests/clients/overlap-checks.sh).
vok=$install/vok
filing_data=$here/../data/filing
mkdir -p "$work/out"
out_folder="Z:${work//\//\\}\\out"
trace_file=$work/trace.log
trace_setting="Z:${trace_file//\//\\}"
rm -f "$trace_file"
# Wine ends a job's processes when the job's last handle closes.
tool_ends_with_host=yes

start_env=()
client_start() {
  local log=$1
  shift
  (cd "$work/bin" && exec "${wine_env[@]}" "${start_env[@]}" "$loader" overlapping_calls.exe "$@") \
    >"$log" 2>&1 &
  started=$!
}
client_run() {
  (cd "$work/bin" && "${wine_env[@]}" "${start_env[@]}" "$loader" overlapping_calls.exe "$@") \
    >"$work/.out" 2>&1
  status=$?
  out=$(tr -d '\r' <"$work/.out")
  err=
}

. "$here/../clients/overlap-checks.sh"
