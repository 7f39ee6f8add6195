#!/bin/bash
# Static checks of the built VOKQM7.dll:
#   check-pe.sh <dll> <i686|x86_64>
# PE32 for i686 and PE32+ for x86_64; export directory named VOKQM7.dll with
# ordinal base 1 and exactly the six interface names at ordinals 1 to 6;
# imports from system DLLs only; a VERSIONINFO resource with the product's
# strings; and, for i686, every exported function removing its own arguments
# (stdcall: each ret of the function is "ret $4*argc").
set -u

dll=${1:?usage: check-pe.sh <dll> <i686|x86_64>}
arch=${2:?usage: check-pe.sh <dll> <i686|x86_64>}
objdump=${arch}-w64-mingw32-objdump
strings=${arch}-w64-mingw32-strings
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

case $arch in
  i686) magic='(PE32)' ;;
  x86_64) magic='(PE32+)' ;;
  *) echo "FAIL: unknown architecture '$arch'"; exit 2 ;;
esac
[ -f "$dll" ] || { echo "FAIL: no such file: $dll"; exit 1; }
command -v "$objdump" >/dev/null || { echo "FAIL: $objdump not found"; exit 1; }

headers=$("$objdump" -p "$dll") || { echo "FAIL: $objdump -p could not read $dll"; exit 1; }

# Format.
if grep -E '^Magic' <<<"$headers" | grep -qF "$magic"; then
  pass "format $magic"
else
  fail "expected $magic, objdump says: $(grep -E '^Magic' <<<"$headers")"
fi

# Export directory.
exports=$(sed -n '/^The Export Tables/,/^The Function Table\|^The \.rsrc\|^PE File Base Relocations/p' <<<"$headers")
dllname=$(awk '/^Name[[:space:]]/ {print $3; exit}' <<<"$exports")
[ "$dllname" = VOKQM7.dll ] && pass "export directory name VOKQM7.dll" ||
  fail "export directory name is '$dllname', expected VOKQM7.dll"
base=$(awk '/^Ordinal Base/ {print $3; exit}' <<<"$exports")
[ "$base" = 1 ] && pass "ordinal base 1" || fail "ordinal base is '$base', expected 1"

# "[Ordinal/Name Pointer] Table" lines read "[   k] Name", k counted from the base.
names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$exports" |
  sed -nE 's/^[[:space:]]*\[[[:space:]]*([0-9]+)\][[:space:]]+([^[:space:]]+).*/\1 \2/p')
expected_exports=(GetVersionQM7 GetReportDate GetReport GetReportV2 OpenReportV2 GetReportDateV2)
count=$(grep -c . <<<"$names")
[ "$count" = 6 ] && pass "six exported names" ||
  fail "expected 6 exported names, found $count: $(tr '\n' ' ' <<<"$names")"
for i in "${!expected_exports[@]}"; do
  name=${expected_exports[$i]}
  ordinal=$((i + 1))
  index=$(awk -v n="$name" '$2 == n {print $1}' <<<"$names")
  if [ -n "$index" ] && [ $((index + ${base:-0})) = $ordinal ]; then
    pass "$name at ordinal $ordinal"
  else
    fail "$name not exported at ordinal $ordinal (table index '${index}')"
  fi
done

# Imports: system DLLs only, nothing from the compiler's runtime.
allowed='^(kernel32|advapi32|ole32|oleaut32|msvcrt|user32|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'
imports=$(awk '/DLL Name:/ {print $3}' <<<"$headers")
[ -n "$imports" ] || fail "no import table found"
for imported in $imports; do
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$imported")
  if grep -qE "$allowed" <<<"$lower"; then
    pass "imports $imported"
  else
    fail "imports $imported, which is not a system DLL of the allow-list"
  fi
done

# VERSIONINFO: a resource of type 16 (RT_VERSION) with our strings in it.
if sed -n '/^The \.rsrc Resource Directory/,$p' <<<"$headers" | grep -qE 'Entry: ID: 0x0*10,'; then
  pass "VERSIONINFO resource present"
else
  fail "no VERSIONINFO (type 16) resource"
fi
wide=$("$strings" -el "$dll")
for text in VS_VERSION_INFO VOKQM7.dll FileVersion ProductVersion; do
  grep -qxF "$text" <<<"$wide" && pass "version resource holds '$text'" ||
    fail "version resource lacks '$text'"
done

# stdcall: the callee removes 4 bytes per argument. Read each export's code
# from its exported address up to the next symbol.
if [ "$arch" = i686 ]; then
  declare -A argument_bytes=([GetVersionQM7]=0 [GetReportDate]=12 [GetReport]=20
    [GetReportV2]=12 [OpenReportV2]=8 [GetReportDateV2]=12)
  image_base=$(awk '/^ImageBase/ {print $2; exit}' <<<"$headers")
  disassembly=$("$objdump" -d "$dll")
  grep -qE '^[0-9a-f]+ <[^>]+>:$' <<<"$disassembly" ||
    fail "no symbols in the disassembly: the ret check needs an unstripped DLL"
  # "[   0] +base[   1] 3b20 Export RVA": ordinal -> RVA.
  rvas=$(sed -nE 's/^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+\+base\[[[:space:]]*([0-9]+)\][[:space:]]+([0-9a-f]+).*/\1 \2/p' <<<"$exports")
  for i in "${!expected_exports[@]}"; do
    name=${expected_exports[$i]}
    rva=$(awk -v o=$((i + 1)) '$1 == o {print $2}' <<<"$rvas")
    if [ -z "$rva" ] || [ -z "$image_base" ]; then
      fail "$name: no exported address found"
      continue
    fi
    address=$(printf '%x' $((0x$image_base + 0x$rva)))
    body=$(awk -v a="$address" '
      $0 ~ "^0*" a " <" {inside = 1; next}
      inside && /^[0-9a-f]+ <[^>]+>:$/ {exit}
      inside {print}' <<<"$disassembly")
    if [ -z "$body" ]; then
      fail "$name: no function starts at its exported address 0x$address"
      continue
    fi
    rets=$(grep -oE $'\tret[l]?[[:space:]]*(\\$0x[0-9a-f]+)?' <<<"$body" | tr -d '\t' | sed 's/[[:space:]]*$//' | sort -u)
    n=${argument_bytes[$name]}
    if [ "$n" = 0 ]; then want='ret'; else want=$(printf 'ret    $0x%x' "$n"); fi
    want_squeezed=$(tr -s ' ' <<<"$want")
    got_squeezed=$(tr -s ' ' <<<"$rets")
    if [ -n "$rets" ] && [ "$got_squeezed" = "$want_squeezed" ]; then
      pass "$name ends in '$want_squeezed' ($((n / 4)) arguments)"
    else
      fail "$name: expected every return to be '$want_squeezed', found: $(tr '\n' ';' <<<"$got_squeezed")"
    fi
  done
fi

if [ $failures -ne 0 ]; then
  echo "check-pe: $failures check(s) FAILED for $dll"
  exit 1
fi
echo "check-pe: all checks passed for $dll ($arch)"
