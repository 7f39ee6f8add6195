#!/bin/bash
# The core's layers may only include downwards:
#   check-includes.sh <source tree>
#   interface/   the exports, the request frame, the login parse
#   driver/, sections/   the report tool driver and the section writers
#   request/     what those three share: the request record, the message
#                buffer, the fixed messages, the text rules
#   platform/    the system
# No file below interface/ includes from it, request/ includes neither the
# driver nor the sections, and platform/ includes nothing of the core.
set -u
root=${1:?usage: check-includes.sh <source tree>}
violations=0

# check <folder> <folders it must not include from...>
check() {
  local folder=$1 forbidden
  shift
  [ -d "$root/$folder" ] || return 0
  forbidden=$(IFS='|'; echo "$*")
  while IFS= read -r hit; do
    echo "FAIL: $hit"
    violations=$((violations + 1))
  done < <(cd "$root" && grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($forbidden)/" \
             --include='*.h' --include='*.cpp' "$folder")
}

check platform interface driver sections request
check request interface driver sections
check driver interface
check sections interface

if [ $violations -ne 0 ]; then
  echo "check-includes: $violations include(s) across the layers"
  exit 1
fi
echo "check-includes: every include goes downwards"
