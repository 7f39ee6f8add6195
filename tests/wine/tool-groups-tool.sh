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
# Wine's user has an elevated token, as an administrator's would.
expect_out "note     the tool runs elevated (as administrator)" "doctor, healthy"

# A virtualized copy of the installation folder, as Windows makes one for a
# filing client without a manifest: found in the user's VirtualStore.
local_app_data=$prefix/drive_c/users/$(id -un)/AppData/Local
mkdir -p "$local_app_data/VirtualStore$install/vok"
wine_run vokqm7.exe doctor
expect_status 3 "doctor, VirtualStore copy"
expect_out "PROBLEM  a virtualized copy of the installation folder exists: C:\\users\\" "doctor, VirtualStore copy"
rm -rf "$local_app_data/VirtualStore"

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

# The trace switched on through the registry (HKEY_CURRENT_USER), read by
# vokqm7.exe trace show; while it is on, the lines reach the debugger too.
trace=$work/trace.log
rm -f "$trace"
wine_run vokqm7.exe trace on "Z:${trace//\//\\}"
expect_status 0 "trace on"
"${wine_env[@]}" "$loader" reg query 'HKCU\Software\VOKQM7' /v TraceFile 2>/dev/null | grep -q TraceFile ||
  fail "trace on set no HKCU\Software\VOKQM7\TraceFile"
# Wine 8 shows OutputDebugString on its "seh" channel.
(cd "$work/bin" && "${wine_env[@]}" WINEDEBUG=warn+seh "$loader" vokqm7.exe report-date "${login[@]}" -o traced.xml) \
  >/dev/null 2>"$work/.debugger"
grep -aq 'OutputDebugString.*call.begin export=GetReportDate' "$work/.debugger" ||
  fail "no trace line reached the debugger"
mv "$model/国税申报/hxzcfzb.rep" "$work/hxzcfzb.rep"
wine_run vokqm7.exe report-date "${login[@]}" -o none.xml
mv "$work/hxzcfzb.rep" "$model/国税申报/hxzcfzb.rep"
wine_run vokqm7.exe trace show
expect_status 0 "trace show"
expect_out "2 of 2 call(s)" "trace show"
grep -qE 'GetReportDate +001/2026/11 +ok' <<<"$out" || fail "trace show lacks the call that worked: $out"
grep -qE 'GetReportDate +001/2026/11 +-1 +[0-9]+ +staging +复制资产负债表模版文件出错' <<<"$out" ||
  fail "trace show lacks the failed call: $out"
expect_out "template.copy_failed" "trace show, the last call's detail"
grep -q 'event=tool.start command="\\"Z:' "$trace" || fail "the trace has no tool command line"
# trace show and support-bundle while a call writes the trace: the library
# keeps the file open for appending for the whole call, which the tool
# stays for (here some seconds), and a read must neither fail on it nor
# stand in the call's way.
started_before=$(grep -c 'event=tool.start' "$trace")
(cd "$work/bin" && exec "${wine_env[@]}" VOKWQM7_SLEEP_MS=6000 "$loader" vokqm7.exe report-date "${login[@]}" -o slow.xml) \
  >"$work/.slow" 2>&1 &
slow=$!
for _ in $(seq 200); do
  [ "$(grep -c 'event=tool.start' "$trace")" -gt "$started_before" ] && break
  sleep 0.1
done
wine_run vokqm7.exe trace show --failed --last 1
expect_status 0 "trace show while a call writes"
grep -qE 'GetReportDate +001/2026/11 +\(no end\)' <<<"$out" || fail "trace show while a call writes lacks the call: $out"
wine_run vokqm7.exe support-bundle -o busy.zip
expect_status 0 "support-bundle while a call writes"
unzip -p bin/busy.zip trace/trace.log | grep -q 'event=tool.start' || fail "busy.zip holds no trace"
wait "$slow"
[ $? -eq 0 ] || fail "the call traced while its trace was read failed: $(cat "$work/.slow")"
[ "$(tail -n 1 "$trace" | grep -c 'event=call.end result=0')" -eq 1 ] || fail "the slow call's end is not the trace's last line"
wine_run vokqm7.exe doctor
expect_out "note     tracing is on: calls write to Z:" "doctor, tracing on"
# The support bundle under Wine: its listing read back by unzip and by
# python3's zipfile, the planted password gone (in a field and on a line
# of an event the library does not write), both generations read through
# handles that follow no link and compared by owner, the PE's bitness and
# Wine's version named.
printf '%s\n' '2026-12-01 08:00:00.000 pid=1 tid=1 call=1 event=login server="db;Password=Planted-pw1"' \
  '2026-12-01 08:00:00.000 pid=1 tid=1 call=1 event=login.text text="<LoginInfo><Password>Planted-pw2</Password></LoginInfo>"' >"$trace.1"
wine_run vokqm7.exe support-bundle -o bundle.zip
expect_status 0 "support-bundle"
expect_out "Masked: 1 value(s)" "support-bundle"
expect_out "trace.log.1, line(s) 2: an event the library does not write" "support-bundle"
expect_no_out "belongs to another account" "support-bundle"
unzip -tq bin/bundle.zip >/dev/null 2>&1 || fail "unzip -t finds bundle.zip broken"
names=$(python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; print(" ".join(z.namelist()))' bin/bundle.zip) \
  || fail "python3 zipfile cannot read bundle.zip"
[ "$names" = "CONTENTS.txt doctor.txt versions.txt registry.txt installation.txt trace/trace.log.1 trace/trace.log" ] \
  || fail "bundle.zip holds '$names'"
unzip -p bin/bundle.zip | grep -q Planted-pw && fail "the planted password is in bundle.zip"
bits="32-bit (PE32, i386)"
[ "$(pe_magic "$dll")" = 020b ] && bits="64-bit (PE32+, x86-64)"
versions=$(unzip -p bin/bundle.zip versions.txt)
for text in "library bitness: $bits" "library SHA-256: $(sha256sum "$dll" | cut -d' ' -f1)" "Wine: " "ANSI code page: 936"; do
  grep -qF -- "$text" <<<"$versions" || fail "versions.txt lacks '$text': $versions"
done
unzip -p bin/bundle.zip registry.txt | grep -qE "(32|64)-bit view: Z:" || fail "registry.txt lacks the value in its view"

# The machine's switch takes a file every account may append to, by the
# ACLs of the file and its folder (which Wine makes from the Unix modes:
# others' bits become Everyone's entry).
mkdir -p "$work/shared"
for modes in "0600 0777" "0666 0755" "0666 0777"; do
  read -r mode folder_mode <<<"$modes"
  : >"$work/shared/machine.log"
  chmod "$mode" "$work/shared/machine.log"
  chmod "$folder_mode" "$work/shared"
  wine_run vokqm7.exe trace on --machine "Z:${work//\//\\}\\shared\\machine.log"
  if [ "$modes" = "0666 0777" ]; then
    expect_status 0 "trace on --machine, modes $modes"
    "${wine_env[@]}" "$loader" reg query 'HKLM\Software\VOKQM7' /v TraceFile /reg:32 2>/dev/null | grep -q 'shared\\machine.log' ||
      fail "trace on --machine set no HKLM\Software\VOKQM7\TraceFile"
  else
    expect_status 4 "trace on --machine, modes $modes"
    expect_err "not every user of this machine can write" "trace on --machine, modes $modes"
  fi
done
wine_run vokqm7.exe trace off --machine
expect_status 0 "trace off --machine"

wine_run vokqm7.exe trace off
expect_status 0 "trace off"
before=$(wc -c <"$trace")
wine_run vokqm7.exe report-date "${login[@]}" -o national.xml
[ "$(wc -c <"$trace")" -eq "$before" ] || fail "a call traced after trace off"

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
