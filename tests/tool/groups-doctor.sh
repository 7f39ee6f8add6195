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

# A caller killed while its report tool runs: doctor names the tool it left
# running, and the next call ends it before it does anything else.
rm -f "$vok/vokwqm7.args"
VOKWQM7_SLEEP_MS=20000 VOKWQM7_NO_OUTPUT=1 "$tool" report-date "${login[@]}" -o killed.xml \
  >/dev/null 2>&1 &
caller=$!
for _ in $(seq 200); do [ -e "$vok/vokwqm7.args" ] && break; sleep 0.05; done
sleep 0.5  # the caller notes its tool right after starting it
kill -9 "$caller"
wait "$caller" 2>/dev/null
run "$tool" doctor
expect_status 3 "doctor, a tool whose caller is gone"
expect_out "PROBLEM  a report tool is still running in the installation, but its caller is gone: process " "doctor, orphaned tool"
expect_out "($install\\vok\\vokwqm7.exe), running for " "doctor, orphaned tool"
expect_out "started by process $caller ($(readlink -f "$tool"), GetReportDate) since $(date +%Y-%m-%d)" "doctor, orphaned tool"
orphan=$(sed -nE 's/.*caller is gone: process ([0-9]+) .*/\1/p' <<<"$out")
# Running: in /proc and not a zombie (nothing may reap the orphan here).
running() { [ -e "/proc/$1" ] && ! grep -qE '^[0-9]+ \(.*\) [ZX] ' "/proc/$1/stat" 2>/dev/null; }
[ -n "$orphan" ] && running "$orphan" || fail "doctor named no running tool: $out"
# The same tool seen by another user (nobody, where the tests run as root,
# with a runtime folder of its own as a desktop session gives it): seen in
# the list of processes, theirs to wait for, never to end.
if [ "$(id -u)" -eq 0 ]; then
  chmod 0755 "$work"
  runtime=$(mktemp -d)
  chown nobody "$runtime"
  XDG_RUNTIME_DIR=$runtime run setpriv --reuid=nobody --regid=nogroup --clear-groups "$tool" doctor
  expect_out "PROBLEM  a report tool of user 0 runs in the installation: process $orphan, session " "doctor as another user"
  expect_out "calls wait until it ends, and only that user or an administrator can end it" "doctor as another user"
  expect_no_out "cannot keep their record" "doctor as another user"
  running "$orphan" || fail "doctor as another user ended the tool"
  rm -rf "$runtime"
fi
run "$tool" report-date "${login[@]}" -o after-killed.xml
expect_status 0 "report-date after a killed caller"
! running "$orphan" || fail "the next call left the killed caller's tool $orphan running"
run "$tool" doctor
expect_status 0 "doctor, after the next call"
expect_out "ok       no report call is using the installation now" "doctor, after the next call"
expect_no_out "caller is gone" "doctor, after the next call"
rm -f "$vok"/rep_vok*.xml "$vok"/voktemp*.rep killed.xml after-killed.xml

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
