#!/bin/bash
# The Chinese catalogue po/zh_CN.po against the tool's code:
#   catalogue-test.sh SOURCE_DIR WORK_DIR
set -u
top=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
generator=$top/tools/vokqm7/language/catalogue.py
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

msgfmt --check --check-format -o /dev/null "$top/po/zh_CN.po" || fail "msgfmt --check refuses po/zh_CN.po"

# What the code puts through Tr(), TrF(), TrC() and N_().
(cd "$top" && find tools/vokqm7 -name '*.cpp' -o -name '*.h' | LC_ALL=C sort) >"$work/files"
(cd "$top" && xgettext --language=C++ --from-code=UTF-8 --keyword=Tr --keyword=TrF --keyword=TrC:1c,2 --keyword=N_ \
  --no-location --omit-header -o "$work/tool.pot" -f "$work/files") || fail "xgettext failed"
[ -s "$work/tool.pot" ] || fail "xgettext found no texts in the tool"
python3 "$generator" check "$top/po/zh_CN.po" "$work/tool.pot" || fail "the catalogue does not match the code"
# gettext's own view of the same: every text of the code has a translation.
msgcmp "$top/po/zh_CN.po" "$work/tool.pot" 2>"$work/msgcmp.txt" || {
  head -20 "$work/msgcmp.txt"
  fail "msgcmp finds texts without a translation"
}

# The build's generator refuses a catalogue whose translation takes other
# arguments than its source.
header='msgid ""
msgstr "Content-Type: text/plain; charset=UTF-8\n"
'
bad_entries=(
  'msgid "%s of %s"|msgstr "%s 的"'
  'msgid "%s of %s"|msgstr "%1$s 的 %3$s"'
  'msgid "%s"|msgstr "%d"'
  'msgid "%s and %s"|msgstr "%1$s 和 %s"'
  'msgid "ab"|msgstr "甲"||msgid "ab"|msgstr "乙"'
  'msgid "a"|msgstr "甲 \q"'
)
for entry in "${bad_entries[@]}"; do
  { printf '%s\n' "$header"; tr '|' '\n' <<<"$entry"; } >"$work/bad.po"
  if python3 "$generator" table "$work/bad.po" "$work/bad.inc" 2>"$work/bad.err"; then
    fail "the generator took: $entry"
  fi
done
good='msgid "%s of %s"|msgstr "%2$s 的 %1$s"||msgid "100%% of %s"|msgstr "%s 的百分之百"'
{ printf '%s\n' "$header"; tr '|' '\n' <<<"$good"; } >"$work/good.po"
python3 "$generator" table "$work/good.po" "$work/good.inc" || fail "the generator refused reordered placeholders"
grep -c '^{' "$work/good.inc" | grep -qx 2 || fail "the generator's table does not hold both entries"

# The check itself: a term of the trade said otherwise, a text left in
# English, one missing, one unused each make it fail; the good pair passes.
check_case() {  # check_case EXPECTED_STATUS "pot entries" "po entries"
  { printf '%s\n' "$header"; tr '|' '\n' <<<"$2"; } >"$work/case.pot"
  { printf '%s\n' "$header"; tr '|' '\n' <<<"$3"; } >"$work/case.po"
  python3 "$generator" check "$work/case.po" "$work/case.pot" >"$work/case.out"
  [ $? -eq "$1" ] || fail "check of [$3] against [$2]: not status $1: $(cat "$work/case.out")"
}
check_case 0 'msgid "the balance sheet"|msgstr ""' 'msgid "the balance sheet"|msgstr "资产负债表"'
check_case 1 'msgid "the balance sheet"|msgstr ""' 'msgid "the balance sheet"|msgstr "平衡表"'
check_case 1 'msgid "--template FILE"|msgstr ""||msgid "a template"|msgstr ""' \
  'msgid "--template FILE"|msgstr "文件"||msgid "a template"|msgstr "一个文件"'
check_case 1 'msgid "ok"|msgstr ""' 'msgid "ok"|msgstr "ok"'
check_case 1 'msgid "ok"|msgstr ""' 'msgid "other"|msgstr "其他"'
check_case 1 'msgid "ok"|msgstr ""||msgid "gone"|msgstr ""' 'msgid "ok"|msgstr "正常"'

[ "$failures" -eq 0 ] && echo "catalogue: all checks passed"
[ "$failures" -eq 0 ]
