#!/bin/bash
# Overlapping calls through libVOKQM7.so from several processes and threads:
#   overlap-test.sh <overlapping_calls> <folder of the stand-in tools> <tests/data/filing>
set -u
client=$1 standin=$2 filing_data=$3
here=$(cd "$(dirname "$0")" && pwd)
group=overlapping_calls
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/../tool/assert.sh"

vok=$work/install/vok
mkdir -p "$vok/vokModel/国税申报" "$work/out"
cp "$standin/vokwqm7.exe" "$standin/vokdesk.exe" "$vok/"
export VOKQM7_REGISTRY=$work/registry
value_file=$VOKQM7_REGISTRY/HKEY_LOCAL_MACHINE/Software/Tarvel/Oramet/2.0/Install/CurrentInst/VOKCONFIGFILE
mkdir -p "$(dirname "$value_file")"
printf '%s\n' "$work/install" >"$value_file"
out_folder=$work/out
trace_file=$work/trace.log
trace_setting=$trace_file

start_env=()
client_start() {
  local log=$1
  shift
  env "${start_env[@]}" "$client" "$@" >"$log" 2>&1 &
  started=$!
}
client_run() { run env "${start_env[@]}" "$client" "$@"; }

. "$here/overlap-checks.sh"
finish
