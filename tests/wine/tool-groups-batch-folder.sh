# vokqm7.exe batch over one folder's life (tests/tool/batch-folder-life.sh)
# with the real DLL: the folder's lock is a file opened without sharing
# writes, which Wine's server keeps between processes as Windows does; a
# run killed mid-row lets go of it; the record vouches for every document.
. "$here/../tool/batch-helpers.sh"
batch_templates "$model"
log=$install/vok/vokwqm7.log
at=$work/bin

# The tool under Wine with the NAME=VALUE words that come first.
vok() {
  local saved=("${wine_env[@]}")
  while [[ $1 == *=* ]]; do wine_env+=("$1"); shift; done
  wine_run vokqm7.exe "$@"
  wine_env=("${saved[@]}")
}
vok_start() {
  local name=$1 words=()
  shift
  while [[ $1 == *=* ]]; do words+=("$1"); shift; done
  (cd "$at" && exec "${wine_env[@]}" "${words[@]}" "$loader" vokqm7.exe "$@") \
    >"$at/$name.out" 2>"$at/$name.err" &
  started=$!
}
vok_finish() {
  wait "$1" 2>/dev/null
  status=$? out=$(tr -d '\r' <"$at/$2.out") err=$(tr -d '\r' <"$at/$2.err")
}
# One Wine prefix has one registry: desk 2 uses the same installation.
desk2=(VOKQM7_SECOND_DESK=1)

. "$here/../tool/batch-folder-life.sh"
[ "$mounted" = yes ] && trap '"${wine_env[@]}" "$wine_lib/wineserver" -k 2>/dev/null; umount "$at/F"' EXIT
life <<'CASES'
first|0|GetReportDate for the accounts of three.csv (UTF-8) into F
two-desks|0|waiting for F, in use by another batch (desk
swapped|0|002-2026-11.xml is not the document summary.csv says was made: it states the report period 202610, not 202611
spreadsheet|0|F\summary.csv: line 2 gives the account of 001-2026-11.xml as 1: a spreadsheet program took away its leading zeros; it is read as 001
corrected-server|0|001-east-2026-11.xml: superseded by 001-2026-11.xml of the same server; the document is now earlier/001-east-2026-11.
killed|0|[3/3] 003 2026-11:
full|4|KiB free, and the run needs about 256 KiB
CASES
