#!/bin/bash
# Compiles the Win64 units of Free Pascal's run-time library from Debian's
# fpc-source with the x86-64 compiler, which makes Win64 programs once it
# has them (Debian ships the Linux units only). The units the bindings use
# (system, objpas, sysutils, math and what they need) take a few seconds.
#   build-fpc-win64-rtl.sh <ppcx64> <fpc-source rtl folder> <units folder>
set -eu
ppc=$1 rtl=$2 units=$3
mkdir -p "$units"
cd "$rtl/win64"
common=(-Twin64 -n -ve -FE"$units" -Fu"$units")
"$ppc" "${common[@]}" -Fi"$rtl/inc" -Fi"$rtl/x86_64" -Fi"$rtl/win" -Us -Sg system.pp
"$ppc" "${common[@]}" -Fi"$rtl/inc" -Fi"$rtl/x86_64" "$rtl/objpas/objpas.pp"
"$ppc" "${common[@]}" -Fi"$rtl/objpas/sysutils" -Fi"$rtl/objpas/classes" -Fi"$rtl/x86_64" \
  -I"$rtl/win64" -I"$rtl/objpas" -I"$rtl/win" -I"$rtl/win/wininc" -I"$rtl/inc" \
  -Fu"$rtl/x86_64" -Fu"$rtl/win/wininc" -Fu"$rtl/win" -Fu"$rtl/win64" -Fu"$rtl/inc" \
  -Fu"$rtl/objpas" buildrtl.pp
