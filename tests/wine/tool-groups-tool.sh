# vokqm7.exe: version, doctor and report-date with the real DLL.
wine_run vokqm7.exe version
expect_status 0 "version"
expect_out "interface version: 2" "version"
expect_out "library: Z:${work//\//\\}\\bin\\VOKQM7.dll" "version names the loaded DLL"
# Its version resource, as the version APIs read it from the loaded module.
expect_out "library version: $VOKQM7_VERSION (file version $VOKQM7_VERSION.0)" "version"

wine_run vokqm7.exe doctor
expect_status 0 "doctor, healthy"
expect_out "ok       financial income statement template: Z:${install//\//\\}\\vok\\vokModel\\财务申报\\lrb.rep" "doctor, healthy"
expect_out "Everything the library needs is in place." "doctor, healthy"

wine_run vokqm7.exe report-date "${login[@]}" -o national.xml
expect_status 0 "report-date"
expect_out "GetReportDate succeeded: the filing document is in national.xml" "report-date"
expect_gbk_file_has bin/national.xml "<SB_SYB_DM>成功</SB_SYB_DM>" "report-date"
expect_file_has bin/national.xml "<SB_ZCFZB>" "report-date"

wine_run vokqm7.exe report-date --financial "${login[@]}" -o financial.xml
expect_status 0 "report-date --financial"
expect_file_has bin/financial.xml "<SB_SYB_BCZL>" "report-date --financial"

mv "$model/国税申报/hxsyb.rep" "$work/hxsyb.rep"
wine_run vokqm7.exe doctor
expect_status 3 "doctor, template missing"
expect_out "PROBLEM  national-tax income statement template is missing" "doctor, template missing"
wine_run vokqm7.exe report-date "${login[@]}" -o none.xml
expect_status 1 "report-date, template missing"
expect_err "GetReportDate failed with result -1: 复制损益表模版文件出错，请检查模版文件是否存在!" "report-date, template missing"
mv "$work/hxsyb.rep" "$model/国税申报/hxsyb.rep"

delete_install_value
wine_run vokqm7.exe doctor
expect_status 3 "doctor, registry value missing"
expect_out "PROBLEM  the registry value HKEY_LOCAL_MACHINE\\Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst\\VOKCONFIGFILE is missing" "doctor, registry value missing"
wine_run vokqm7.exe report-date "${login[@]}" -o none.xml
expect_status 1 "report-date, registry value missing"
expect_err "安装程序信息不正确，请重新安装程序!" "report-date, registry value missing"
[ ! -e bin/none.xml ] || fail "a failed report-date wrote none.xml"

# doctor says which registry view it found the value in, or looked in.
looked="the 32-bit registry view"
[ "$(pe_magic "$program")" = 020b ] && looked="the 32-bit and the 64-bit registry view"
wine_run vokqm7.exe doctor
expect_out "seems not to be installed (looked in $looked)" "doctor, value in neither view"
set_install_value "$install" /reg:32
wine_run vokqm7.exe doctor
expect_status 0 "doctor, value in the 32-bit view only, as the package writes it"
expect_out "VOKCONFIGFILE = Z:${install//\//\\} (in the 32-bit registry view)" "doctor, 32-bit view"
delete_install_value

rm "$work/bin/VOKQM7.dll"
wine_run vokqm7.exe version
expect_status 4 "version without the DLL"
expect_err "cannot load VOKQM7.dll" "version without the DLL"
