# doctor on the demo installation and on broken copies of it.
run "$tool" doctor
expect_status 0 "doctor, healthy"
expect_out "Everything the library needs is in place." "doctor, healthy"
expect_out "ok       registry value HKEY_LOCAL_MACHINE\\Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst\\VOKCONFIGFILE = $install" "doctor, healthy"
expect_out "ok       financial income statement template: $install\\vok\\vokModel\\财务申报\\lrb.rep" "doctor, healthy"
expect_out "ok       the installation folder is writable" "doctor, healthy"
expect_no_out "PROBLEM" "doctor, healthy"
expect_no_out "note" "doctor, healthy"
[ -z "$(ls "$vok" | grep doctor)" ] || fail "doctor left its write probe behind"

# A work file without its cell export: an interrupted call.
echo stale >"$vok/voktemp1.rep"
run "$tool" doctor
expect_status 0 "doctor, leftovers are not a problem"
expect_out "note     work file left by an earlier call: voktemp1.rep" "doctor, leftovers"
expect_out "the last call was probably interrupted" "doctor, leftovers"
echo export >"$vok/rep_vok.xml"
run "$tool" doctor
expect_out "note     cell export left by an earlier call: rep_vok.xml" "doctor, leftovers"
expect_no_out "interrupted" "doctor, work file with its export"
rm "$vok/voktemp1.rep" "$vok/rep_vok.xml"

# A read-only work file (a read-only template whose call failed before its
# run) blocks every later call: a problem, not a note.
echo stale >"$vok/voktemp2.rep"
chmod 0444 "$vok/voktemp2.rep"
run "$tool" doctor
expect_status 3 "doctor, read-only leftover"
expect_out "PROBLEM  work file left read-only by an earlier call: $install\\vok\\voktemp2.rep" "doctor, read-only leftover"
rm -f "$vok/voktemp2.rep"

mv "$model/财务申报/lrb.rep" "$work/lrb.rep"
rm "$vok/vokdesk.exe"
run "$tool" doctor
expect_status 3 "doctor, template and tool missing"
expect_out "PROBLEM  financial income statement template is missing: $install\\vok\\vokModel\\财务申报\\lrb.rep" "doctor, template missing"
expect_out "PROBLEM  interactive report tool is missing: $install\\vok\\vokdesk.exe" "doctor, tool missing"
expect_out "ok       batch report tool" "doctor, the other tool is there"
expect_out "2 problem(s) found." "doctor, template and tool missing"

printf '%s\n' "$work/elsewhere" >"$value_file"
run "$tool" doctor
expect_status 3 "doctor, folder missing"
expect_out "PROBLEM  the installation folder $work/elsewhere\\vok does not exist" "doctor, folder missing"
expect_out "skipped" "doctor, folder missing"

rm "$value_file"
run "$tool" doctor
expect_status 3 "doctor, registry value missing"
expect_out "PROBLEM  the registry value HKEY_LOCAL_MACHINE\\Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst\\VOKCONFIGFILE is missing or cannot be read" "doctor, registry value missing"
expect_out "1 problem(s) found." "doctor, registry value missing"

head -c 300 /dev/zero | tr '\0' x >"$value_file"
run "$tool" doctor
expect_status 3 "doctor, registry value too long for the library's buffer"
expect_out "is missing or cannot be read" "doctor, registry value too long"
