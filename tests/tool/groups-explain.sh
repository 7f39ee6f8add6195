# explain: every message the library can copy into a caller's buffer has its
# entry in the guide, found by its text and by its number, with each part a
# support engineer reads (exports, cause in both languages, what to check).
messages_header=$here/../../request/messages.h
# The text of each message is the comment line above its constant.
mapfile -t messages < <(grep -B1 '^inline constexpr char k' "$messages_header" |
  sed -n 's|^// ||p')
[ "${#messages[@]}" -ge 27 ] || fail "read only ${#messages[@]} messages from messages.h"

for message in "${messages[@]}"; do
  run "$tool" explain "$message"
  expect_status 0 "explain $message"
  heading=$(head -n 1 <<<"$out")
  [[ "$heading" =~ ^'## '([0-9]+)'. '(.*)$ ]] && [ "${BASH_REMATCH[2]}" = "$message" ] ||
    fail "explain $message: the entry's heading is '$heading'"
  number=${BASH_REMATCH[1]:-0}
  for part in "导出函数 Exports: Get" "- 原因：" "- Cause: " "- 检查 Check:" "  1. "; do
    expect_out "$part" "entry $number ($message)"
  done
  by_text=$out
  run "$tool" explain "$number"
  [ "$out" = "$by_text" ] || fail "explain $number differs from explain $message"
done

# The guide lists no message the library does not give.
run "$tool" explain
expect_status 0 "explain without a message"
[ "$(wc -l <<<"$out")" -eq "${#messages[@]}" ] ||
  fail "the guide has $(wc -l <<<"$out") entries for ${#messages[@]} messages"

# Words that name no message, or several.
run "$tool" explain "no such message"
expect_status 1 "explain of an unknown text"
expect_err "no message of the library reads so: no such message" "explain of an unknown text"
run "$tool" explain 操作超时
expect_status 2 "explain of a part of three messages"
expect_err "在生成资产负债数据时,操作超时!" "explain of a part of three messages"
run "$tool" explain 资产负债表文件输出
expect_status 0 "explain of a part of one message"
expect_out "## 17. 接口程序无资产负债表文件输出!" "explain of a part of one message"
