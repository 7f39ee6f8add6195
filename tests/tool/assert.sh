# Small assertions for the tool's end-to-end tests. `run` keeps the last
# command's stdout, stderr and status in $out, $err and $status.
failures=0

run() {
  "$@" >"$work/.out" 2>"$work/.err"
  status=$?
  out=$(cat "$work/.out")
  err=$(cat "$work/.err")
}

fail() {
  echo "FAIL: $*"
  echo "  command output: $out"
  echo "  command errors: $err"
  failures=$((failures + 1))
}

expect_status() { [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1"; }
expect_out() { grep -qF -- "$1" <<<"$out" || fail "$2: stdout lacks '$1'"; }
expect_err() { grep -qF -- "$1" <<<"$err" || fail "$2: stderr lacks '$1'"; }
expect_no_out() { ! grep -qF -- "$1" <<<"$out$err" || fail "$2: output has '$1'"; }
expect_file_has() { grep -qF -- "$2" "$1" 2>/dev/null || fail "$3: $1 lacks '$2'"; }
expect_gbk_file_has() {
  iconv -f GBK -t UTF-8 "$1" 2>/dev/null | grep -qF -- "$2" || fail "$3: $1 (as GBK) lacks '$2'"
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$group: $failures failure(s)"
    exit 1
  fi
  echo "$group: all checks passed"
}
