# A release zip's C examples, built from the zip alone, with its DLL.
zip_folder=${7:?the unpacked zip}
cp "$zip_folder/filing_client.exe" "$work/bin/"
printf '%s' '<Info><LoginInfo><AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period><Server>demo-server</Server></LoginInfo></Info>' \
  >"$work/bin/login.xml"

wine_run get_filing.exe national login.xml national.xml
expect_status 0 "get_filing national"
expect_out "national filing written to national.xml" "get_filing national"
expect_gbk_file_has bin/national.xml "<SB_SYB_DM>成功</SB_SYB_DM>" "get_filing national"
expect_file_has bin/national.xml "<SB_ZCFZB>" "get_filing national"

wine_run get_filing.exe financial login.xml financial.xml
expect_status 0 "get_filing financial"
expect_file_has bin/financial.xml "<SB_SYB_BCZL>" "get_filing financial"

wine_run filing_client.exe guide.xml 001 2026 11 demo-server
expect_status 0 "the guide's example"
expect_out "interface version 2" "the guide's example"
expect_out "GetReportDate wrote guide.xml" "the guide's example"
cmp -s bin/guide.xml bin/national.xml || fail "the guide's example wrote another document than get_filing"

delete_install_value
wine_run get_filing.exe national login.xml none.xml
expect_status 1 "get_filing without an installation"
expect_out "national filing failed (-1): 安装程序信息不正确，请重新安装程序!" "get_filing without an installation"
