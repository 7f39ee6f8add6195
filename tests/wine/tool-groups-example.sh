# The integration guide's C example: the guide shows exactly this source,
# and the program writes a filing document with the real DLL.
guide=${7:?integration guide}
awk '/<!-- example: filing_client.c -->/ {armed = 1}
     armed && /^```c$/ {inside = 1; next}
     inside && /^```$/ {exit}
     inside' "$guide" >"$work/guide-example.c"
cmp -s "$work/guide-example.c" "$(dirname "$guide")/examples/filing_client.c" ||
  fail "docs/integration.md does not show docs/examples/filing_client.c as it is"

wine_run "$(basename "$program")" national.xml 001 2026 11 demo-server
expect_status 0 "example"
expect_out "interface version 2" "example"
expect_out "GetReportDate wrote national.xml" "example"
expect_gbk_file_has bin/national.xml "<SB_SYB_DM>成功</SB_SYB_DM>" "example"

delete_install_value
wine_run "$(basename "$program")" none.xml 001 2026 11 demo-server
expect_status 1 "example without an installation"
expect_out "GetReportDate failed (-1): 安装程序信息不正确，请重新安装程序!" "example without an installation"
