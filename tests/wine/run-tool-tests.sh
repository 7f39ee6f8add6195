#!/bin/bash
# vokqm7.exe and the integration guide's C example under Wine, on a copy of
# the demo installation that the Wine registry points to:
#   run-tool-tests.sh <build-dir> tool <vokqm7.exe> <VOKQM7.dll> <tools dir> <demo dir>
#   run-tool-tests.sh <build-dir> example <filing_client.exe> <VOKQM7.dll> <tools dir> <demo dir> <integration.md>
#   run-tool-tests.sh <build-dir> overlap <overlapping_calls.exe> <VOKQM7.dll> <tools dir> <demo dir>
#   run-tool-tests.sh <build-dir> show|batch|paths|lang <vokqm7.exe> <VOKQM7.dll> <tools dir> <demo dir>
# Output of vokqm7.exe into a file or a pipe is UTF-8, of the C example GBK
# (the ANSI code page), both with CRLF line ends. The prefix's UI language is
# Chinese (zh_CN.UTF-8); VOKQM7_LANG=en keeps the tool English except in the
# group that tests its Chinese.
set -u
build=$(cd "${1:?}" && pwd) || exit 2
mode=$2 program=$3 dll=$4 tools=$5 demo=$6
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
group=wine_$mode
work=$build/tests/wine/$mode-run
. "$here/../tool/assert.sh"

wine_loader_for "$program" || { echo "this Wine cannot run $program: skipped"; exit 77; }
wine_ensure_locale || exit 1
prefix=$build/wineprefix-tools
wine_make_env "$prefix"
wine_env+=(VOKQM7_LANG=en)
wine_ensure_prefix "$prefix" "$loader" || exit 1
"${wine_env[@]}" "$wine_lib/wineserver" -p 2>/dev/null
trap '"${wine_env[@]}" "$wine_lib/wineserver" -k 2>/dev/null' EXIT

rm -rf "$work"
mkdir -p "$work/bin"
cp "$program" "$dll" "$work/bin/"
install=$work/install
cp -r "$demo/install" "$install"
cp "$tools/vokwqm7.exe" "$tools/vokdesk.exe" "$install/vok/"
model=$install/vok/vokModel
cd "$work"

key='HKLM\Software\Tarvel\Oramet\2.0\Install\CurrentInst'
# set_install_value FOLDER [/reg:32|/reg:64]: by default in the view the
# loader's programs read.
set_install_value() {
  "${wine_env[@]}" "$loader" reg add "$key" /v VOKCONFIGFILE /t REG_SZ /d "Z:${1//\//\\}" \
    ${2:+"$2"} /f >/dev/null 2>&1
}
# From both views: the 64-bit DLL would find a value left in the other one.
delete_install_value() {
  "${wine_env[@]}" "$loader" reg delete "$key" /v VOKCONFIGFILE /reg:32 /f >/dev/null 2>&1
  "${wine_env[@]}" "$loader" reg delete "$key" /v VOKCONFIGFILE /reg:64 /f >/dev/null 2>&1
}
# Runs a program of $work/bin under Wine; out/err as UTF-8 without CRs.
wine_run() {
  local exe=$1 encoding=GBK
  shift
  [ "$exe" = vokqm7.exe ] && encoding=UTF-8
  (cd "$work/bin" && "${wine_env[@]}" "$loader" "$exe" "$@") >"$work/.out.raw" 2>"$work/.err.raw"
  status=$?
  out=$(tr -d '\r' <"$work/.out.raw" | iconv -f "$encoding" -t UTF-8)
  err=$(tr -d '\r' <"$work/.err.raw" | iconv -f "$encoding" -t UTF-8)
}
delete_install_value
set_install_value "$install"
login=(--account 001 --year 2026 --period 11 --server demo-server)

. "$here/tool-groups-$mode.sh"
finish
