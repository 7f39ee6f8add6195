#!/bin/bash
# The tool's manifest is in its resources, as Windows reads it: asInvoker
# (no virtualization, no elevation prompt) and every supportedOS entry.
#   check-manifest.sh <objcopy> <vokqm7.exe>
set -u
objcopy=${1:?usage: check-manifest.sh <objcopy> <program>}
program=${2:?usage: check-manifest.sh <objcopy> <program>}
resources=$(mktemp)
trap 'rm -f "$resources"' EXIT
"$objcopy" -O binary --only-section=.rsrc "$program" "$resources" || exit 1
failed=0
for wanted in 'level="asInvoker"' 'uiAccess="false"' \
    '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
  if ! grep -aqF "$wanted" "$resources"; then
    echo "FAIL: $program's manifest lacks $wanted"
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
[ "$failed" -eq 0 ]
