#!/bin/bash
# Runs the Windows test program(s) under Wine:
#   run-wine-tests.sh <build-dir> [test.exe ...]
# (default: <build-dir>/tests/wine/vokqm7_wine_tests.exe).
#
# Wine takes its ANSI code page from the Linux locale: zh_CN.UTF-8 gives code
# page 936 (GBK), so that locale is generated when missing. The prefix lives
# in <build-dir>/wineprefix and is reused. The Chinese locale and the Wine
# variables are set on the wine command only. A 64-bit program runs under
# wine64; a 32-bit one needs a Wine that runs 32-bit code, and without one
# it is skipped (exit 77 when nothing was run at all).
set -u

build=${1:?usage: run-wine-tests.sh <build-dir> [test.exe ...]}
build=$(cd "$build" && pwd) || exit 2
shift
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("$build/tests/wine/vokqm7_wine_tests.exe")

wine_lib=/usr/lib/wine
prefix=$build/wineprefix
started=$(date +%s)

say() { echo "run-wine-tests: $*"; }

# "010b" for a 32-bit PE (PE32), "020b" for a 64-bit one (PE32+).
pe_magic() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ') || return 1
  od -An -tx2 -j$((header + 24)) -N2 "$1" | tr -d ' '
}

if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  say "generating the zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 || { say "FAIL: cannot generate zh_CN.UTF-8"; exit 1; }
fi

# Everything Wine needs, on the wine commands only.
wine_env=(env)
for variable in $(env | sed -n 's/^\(LC_[A-Z_]*\)=.*/\1/p'); do wine_env+=(-u "$variable"); done
wine_env+=(WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=zh_CN.UTF-8 DISPLAY=)

servers=()
stop_servers() {
  local server
  for server in "${servers[@]}"; do
    "${wine_env[@]}" "$server" -k 2>/dev/null
  done
}
trap stop_servers EXIT

ran=0
failed=0
for program in "${programs[@]}"; do
  if [ ! -f "$program" ]; then
    say "FAIL: no test program at $program"
    failed=$((failed + 1))
    continue
  fi
  case $(pe_magic "$program") in
    020b)
      loader=$wine_lib/wine64
      server=$wine_lib/wineserver ;;
    010b)
      if ! "$wine_lib/wineserver32" --version >/dev/null 2>&1; then
        say "skipped $program: this Wine cannot run 32-bit programs"
        continue
      fi
      loader=$wine_lib/wine
      server=$wine_lib/wineserver ;;
    *)
      say "FAIL: $program is not a Windows program"
      failed=$((failed + 1))
      continue ;;
  esac
  [ -x "$loader" ] || { say "FAIL: no Wine loader at $loader"; failed=$((failed + 1)); continue; }
  servers+=("$server")

  # wineboot returns before the server has saved the registry, so a marker
  # of our own tells a finished prefix from an interrupted one.
  if [ ! -f "$prefix/.vokqm7-prefix-ready" ]; then
    say "creating the Wine prefix $prefix"
    rm -rf "$prefix"
    "${wine_env[@]}" "$loader" wineboot -i >/dev/null 2>&1
    [ -d "$prefix/drive_c/windows/system32" ] || { say "FAIL: wineboot made no prefix"; exit 1; }
    touch "$prefix/.vokqm7-prefix-ready"
  fi

  log=${program%.exe}.log
  say "running $program"
  (cd "$(dirname "$program")" && "${wine_env[@]}" "$loader" "$program") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  ran=$((ran + 1))
  # Wine writes CRLF; the summary must be the program's last line.
  summary=$(tr -d '\r' <"$log" | grep -v '^[[:space:]]*$' | tail -n 1)
  if [ "$status" -ne 0 ]; then
    say "FAIL: $program exited with $status (last line: '$summary')"
    failed=$((failed + 1))
  elif ! grep -qE '^[1-9][0-9]* passed, 0 failed$' <<<"$summary"; then
    say "FAIL: $program exited 0 but its summary line is '$summary'"
    failed=$((failed + 1))
  else
    say "passed: $program ($summary)"
  fi
done

say "$ran program(s) run, $failed failed, $(($(date +%s) - started)) s"
[ $failed -eq 0 ] || exit 1
[ $ran -gt 0 ] || exit 77
