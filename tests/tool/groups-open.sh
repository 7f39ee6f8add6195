# open: OpenReportV2 starts the interactive tool and returns.
run "$tool" open "${login[@]}" --user wang --password 'p&w' --login-date 2026-11-30 \
  --template "$model/财务申报/lrb.rep"
expect_status 0 "open"
expect_out "OpenReportV2 succeeded: the interactive report tool was started" "open"
for _ in $(seq 50); do [ -f "$vok/vokdesk.args" ] && break; sleep 0.1; done
expect_file_has "$vok/vokdesk.args" "wang" "open: the tool's command line"
expect_file_has "$vok/vokdesk.args" "p&w" "open: the password, unescaped again"

run "$tool" open "${login[@]}" --user wang --template x.rep
expect_status 2 "open without password and login date"
expect_err "missing login options (or give --login FILE): --password --login-date" "open, missing options"

rm "$vok/vokdesk.exe"
run "$tool" open "${login[@]}" --user wang --password p --login-date 2026-11-30 --template x.rep
expect_status 1 "open, tool missing"
expect_err "OpenReportV2 failed with result -1: " "open, tool missing"
