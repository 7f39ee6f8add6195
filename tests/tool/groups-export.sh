# export: GetReport hands back the raw cell export.
template=$model/国税申报/hxzcfzb.rep
run "$tool" export --template "$template" --data cells.xml --trailing 7 "${login[@]}"
expect_status 0 "export"
expect_out "GetReport succeeded: the cell export is in cells.xml" "export"
cmp -s "$template" cells.xml || fail "export: cells.xml differs from what the tool exported"
expect_file_has "$vok/vokwqm7.args" "voktemp.rep\" 7 }" "export --trailing"

run "$tool" export --template "$template" --data cells-utf8.xml "${login[@]}" --utf8
expect_status 0 "export --utf8"
iconv -f GBK -t UTF-8 "$template" | sed 's/encoding="GBK"/encoding="UTF-8"/' | cmp -s - cells-utf8.xml ||
  fail "export --utf8: not the export in UTF-8"

# GetReport waits for the tool without a limit: a slow tool is waited for.
started=$(date +%s%N)
VOKWQM7_SLEEP_MS=1500 run "$tool" export --template "$template" --data slow.xml "${login[@]}"
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
expect_status 0 "export, slow tool"
[ "$elapsed_ms" -ge 1500 ] || fail "export returned after $elapsed_ms ms, before the tool ended"
[ -f slow.xml ] || fail "export, slow tool: no cell export"
expect_no_out "waiting" "export, not on a terminal"

VOKWQM7_NO_OUTPUT=1 run "$tool" export --template "$template" --data none.xml "${login[@]}"
expect_status 1 "export, tool writes nothing"
expect_err "GetReport failed with result -1: 接口程序无输出文件!" "export, tool writes nothing"
[ ! -e none.xml ] || fail "export, tool writes nothing: none.xml exists"

run "$tool" export --template "$work/none.rep" --data none.xml "${login[@]}"
expect_status 1 "export, template missing"
expect_err "GetReport failed with result -1: 请检查模版文件是否存在!" "export, template missing"

run "$tool" export --data none.xml "${login[@]}"
expect_status 2 "export without --template"
