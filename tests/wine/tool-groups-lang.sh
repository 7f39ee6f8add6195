# vokqm7.exe as a Chinese user of Windows gets it: the prefix's UI language
# is Chinese (LANG=zh_CN.UTF-8), so without VOKQM7_LANG the tool speaks
# Chinese. On a console the text goes through the wide console functions;
# into a file or a pipe it is UTF-8 without a byte-order mark, GBK with
# --encoding gbk.
. "$here/../tool/show-helpers.sh"

# The environment of a Chinese user: wine_env without the VOKQM7_LANG=en the
# other groups run under.
zh_env=(env -u VOKQM7_LANG)
for setting in "${wine_env[@]:1}"; do
  [ "$setting" = VOKQM7_LANG=en ] || zh_env+=("$setting")
done
# Runs vokqm7.exe in it; out/err as the bytes it wrote, CRs removed.
zh_run() {
  (cd "$work/bin" && "${zh_env[@]}" "$loader" vokqm7.exe "$@") >"$work/.out.raw" 2>"$work/.err.raw"
  status=$?
  out=$(tr -d '\r' <"$work/.out.raw")
  err=$(tr -d '\r' <"$work/.err.raw")
}
# Runs vokqm7.exe on a pseudo-terminal, so that its output is a console;
# `con` is what the terminal got, without Wine's escape sequences and CRs.
zh_console() {
  local command
  command=$(printf '%q ' "${zh_env[@]}" "$loader" vokqm7.exe "$@")
  (cd "$work/bin" && timeout 120 script -qefc "$command" /dev/null </dev/null >"$work/.console" 2>&1)
  status=$?
  con=$(sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\x1b\][^\x07]*\x07//g' "$work/.console" | tr -d '\r')
}

wine_run vokqm7.exe report-date "${login[@]}" -o national.xml
expect_status 0 "report-date, for the documents below"

# On the console: Chinese, and --encoding gbk changes nothing there (the
# wide functions carry it, whatever the console's code page).
for encoding in utf-8 gbk; do
  zh_console doctor --encoding "$encoding"
  expect_status 0 "doctor on the console ($encoding)"
  grep -qF "正常  " <<<"$con" || fail "doctor on the console ($encoding): no Chinese status column: $con"
  grep -qF "ok       " <<<"$con" && fail "doctor on the console ($encoding): English status words"
  zh_console show national.xml --encoding "$encoding"
  expect_status 0 "show on the console ($encoding)"
  grep -qF "所属期：2026年11月" <<<"$con" || fail "show on the console ($encoding): $con"
  grep -qF "balance sheet" <<<"$con" && fail "show on the console ($encoding): English headings"
done

# Into a file: UTF-8 without a byte-order mark, or GBK when asked; the same
# text either way.
zh_run doctor
expect_status 0 "doctor into a file"
utf8_doctor=$out
[ "$(head -c 3 "$work/.out.raw" | od -An -tx1 | tr -d ' ')" != efbbbf ] ||
  fail "doctor into a file: a byte-order mark"
iconv -f UTF-8 -t UTF-8 "$work/.out.raw" >/dev/null 2>&1 || fail "doctor into a file: not UTF-8"
grep -qF "正常  " <<<"$out" || fail "doctor into a file: not Chinese: $out"
zh_run doctor --encoding gbk
expect_status 0 "doctor --encoding gbk"
gbk_doctor=$(iconv -f GBK -t UTF-8 <<<"$out") || fail "doctor --encoding gbk: not GBK"
[ "$gbk_doctor" = "$utf8_doctor" ] || fail "doctor --encoding gbk: another text than in UTF-8"
cmp -s "$work/.out.raw" <(printf '%s\n' "$utf8_doctor") &&
  fail "doctor --encoding gbk: UTF-8 bytes"

# A failed call, in Chinese around the library's own message.
mv "$model/国税申报/hxsyb.rep" "$work/hxsyb.rep"
zh_run report-date "${login[@]}" -o none.xml
expect_status 1 "report-date failing in Chinese"
expect_err "复制损益表模版文件出错，请检查模版文件是否存在!" "report-date failing in Chinese"
grep -qF "failed with result" <<<"$err" && fail "report-date failing in Chinese: English words: $err"
mv "$work/hxsyb.rep" "$model/国税申报/hxsyb.rep"

# --lang en, or an English UI language, gives what the English groups see.
wine_run vokqm7.exe doctor
english_doctor=$out
zh_run doctor --lang en
[ "$out" = "$english_doctor" ] || fail "doctor --lang en under a Chinese UI language differs from English"
(cd "$work/bin" && "${zh_env[@]}" LANG=en_US.UTF-8 "$loader" vokqm7.exe doctor) >"$work/.out.raw" 2>&1
grep -qF "ok       " "$work/.out.raw" || fail "doctor under an English UI language is not English"
