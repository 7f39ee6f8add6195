#!/bin/bash
# Runs the Windows test program(s) under Wine:
#   run-wine-tests.sh <build-dir> [test.exe ...]
# (default: <build-dir>/tests/wine/vokqm7_wine_tests.exe).
#
# The locale and prefix set-up is in wine-env.sh. The prefix lives in
# <build-dir>/wineprefix and is reused. A 64-bit program runs under
# wine64; a 32-bit one needs a Wine that runs 32-bit code, and without one
# it is skipped (exit 77 when nothing was run at all).
set -u

build=${1:?usage: run-wine-tests.sh <build-dir> [test.exe ...]}
build=$(cd "$build" && pwd) || exit 2
shift
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("$build/tests/wine/vokqm7_wine_tests.exe")

. "$(dirname "$0")/wine-env.sh"
prefix=$build/wineprefix
started=$(date +%s)

say() { echo "run-wine-tests: $*"; }

wine_ensure_locale || { say "FAIL: cannot generate zh_CN.UTF-8"; exit 1; }

# Everything Wine needs, on the wine commands only.
wine_make_env "$prefix"

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
      if ! wine_runs_32_bit; then
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

  wine_ensure_prefix "$prefix" "$loader" || { say "FAIL: no Wine prefix"; exit 1; }

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
