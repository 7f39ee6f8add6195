# version, --help and bad usage.
run "$tool" version
expect_status 0 "version"
expect_out "interface version: 2" "version"
expect_out "build version: $VOKQM7_VERSION" "version"
# The library file the tool loaded, and the version its name carries.
expect_out "library version: $VOKQM7_VERSION" "version"
expect_out "libVOKQM7.so.$VOKQM7_VERSION" "version names the loaded file"

run "$tool" --help
expect_status 0 "--help"
# Each command as a line of the list of subcommands, not merely a word
# somewhere in the help.
commands=$(sed -n '/^Subcommands:$/,/^$/p' <<<"$out" | sed -nE 's/^  ([a-z-]+)  +[^ ].*/\1/p')
for command in version doctor report-date report export open convert show batch explain; do
  grep -qxF -- "$command" <<<"$commands" || fail "--help does not list the command $command"
done
expect_out "Exit status: 0 success, 1 the export or conversion failed, 2 bad usage" "--help"

run "$tool" report --help
expect_status 0 "report --help"
expect_out "--template" "report --help"

run "$tool"
expect_status 2 "no subcommand"
run "$tool" frobnicate
expect_status 2 "unknown subcommand"
run "$tool" report --type balance --template x.rep "${login[@]}" -o out.xml
expect_status 2 "report --type with a wrong type"
run "$tool" report-date --year 2026 -o out.xml
expect_status 2 "report-date without the login options"
expect_err "missing login options (or give --login FILE): --account --period --server" \
  "report-date without the login options"
run "$tool" report-date --login login.xml --account 001 -o out.xml
expect_status 2 "--login together with a login option"
run "$tool" report-date --login "$work/no-such-login.xml" -o out.xml
expect_status 4 "unreadable login file"
expect_err "cannot read the login file $work/no-such-login.xml" "unreadable login file"
run "$tool" convert --layout balance-9 "$model/国税申报/hxzcfzb.rep"
expect_status 2 "convert with an unknown layout"
[ ! -e out.xml ] || fail "a usage error wrote out.xml"
