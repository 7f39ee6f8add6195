#!/bin/sh
# The Linux library exports the six interface functions and nothing else.
set -eu
lib=$1
expected="GetReport
GetReportDate
GetReportDateV2
GetReportV2
GetVersionQM7
OpenReportV2"
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TWDBVRi]$/ {print $3}' | sort)
if [ "$actual" != "$expected" ]; then
  echo "FAIL: $lib exports:"; echo "$actual"
  echo "expected exactly:"; echo "$expected"
  exit 1
fi
echo "ok: $lib exports exactly the six interface functions"
