# support-bundle against what another account, or a careless hand, leaves
# in a trace: every notation of a password as a free value of a trace
# field and as a line of its own, a generation that is a link or another
# account's file, forged and relative document lines, a batch's .part, a
# UTF-16 file, a link planted at the bundle's own path. No secret may reach
# the zip, and the report must name each thing it left out.
traces=$work/traces
trace=$traces/trace.log
mkdir -p "$traces"
run "$tool" trace on "$trace"
run "$tool" report-date "${login[@]}" -o "$work/national.xml"
expect_status 0 "report-date, traced"
me=$(id -u)
pid=$(sed -nE '1s/.* pid=([0-9]+) .*/\1/p' "$trace")

# A trace line as the library formats one: time, pid/tid/call/event, then
# name=value, quoted where the value holds a blank, a quote or a control
# character.
line() {  # line PID CALL EVENT [NAME VALUE]...
  local text="2026-12-01 08:00:00.000 pid=$1 tid=1 call=$2 event=$3" value
  shift 3
  while [ $# -ge 2 ]; do
    value=$2
    if [ -z "$value" ] || [[ "$value" =~ [[:space:][:cntrl:]\"] ]]; then
      value=${value//\\/\\\\}
      value=${value//\"/\\\"}
      value=${value//$'\t'/\\t}
      value=${value//$'\n'/\\n}
      value=${value//$'\r'/\\r}
      value="\"$value\""
    fi
    text+=" $1=$value"
    shift 2
  done
  printf '%s\n' "$text"
}

b64=$(printf '<Info><Password>S3cret</Password></Info>' | base64 -w0)
bundle() {  # bundle [OPTION]...: runs support-bundle into $work/b.zip, all of it in $all
  rm -f "$work/b.zip"
  run "$tool" support-bundle -o "$work/b.zip" "$@"
  all=$(unzip -p "$work/b.zip" 2>/dev/null)
}

no_secret() {  # no_secret WHAT
  expect_status 0 "$1"
  [ -n "$all" ] || fail "$1: no bundle"
  grep -aq 'S3cret' <<<"$all" && fail "$1: a secret is in the bundle: $(grep -ao '.\{30\}S3cret.\{5\}' <<<"$all" | head -3)"
  grep -aqF -- "$b64" <<<"$all" && fail "$1: the secret in base64 is in the bundle"
  grep -aq 'S3cret' <<<"$out" && fail "$1: the report shows a secret"
}

# Every notation, each as a line of its own (odd lines) and as the server
# of a login line (even lines), in one generation: each line of its own
# left out and named, each value masked.
forms=$(cat <<TABLE
JSON|{"password": "S3cret", "user": "a"}
a connection string|Server=db;Password=S3cret;User ID=a
pwd in a connection string|Data Source=db;uid=a;pwd=S3cret;
a colon|password: S3cret
blanks around =|Password = S3cret
an option|--password S3cret --verbose
URL-encoded login XML|%3CInfo%3E%3CPassword%3ES3cret%3C%2FPassword%3E%3C%2FInfo%3E
base64 login XML|login=$b64
character references|&#60;Password&#62;S3cret&#60;/Password&#62;
escaped three times|&amp;amp;lt;Password&amp;amp;gt;S3cret&amp;amp;lt;/Password&amp;amp;gt;
UserPassword|<UserPassword>S3cret</UserPassword>
LoginPwd|<LoginPwd>S3cret</LoginPwd>
密码|<密码>S3cret</密码>
user:pw@host|sa:S3cret@db-server
a value= attribute|<add key="DbPassword" value="S3cret"/>
TABLE
)
: >"$trace.1"
while IFS='|' read -r form text; do
  { printf '%s\n' "$text"; line 1 1 login server "$text"; } >>"$trace.1"
done <<<"$forms"
bundle
no_secret "every notation"
number=1
while IFS='|' read -r form text; do
  expect_out "  - the trace $trace.1, line(s) $number: not a line of the library's trace" "$form"
  number=$((number + 2))
done <<<"$forms"
expect_out "Masked: $(wc -l <<<"$forms") value(s)" "every notation"

# The interactive tool's password holding a '}' and a tab, in its own field.
tab=$(printf '\t')
command="\"$install\\vok\\vokdesk.exe\" -L{001${tab}2026${tab}admin${tab}p}S3cret${tab}S3cret${tab}2026-11-30${tab}demo-server${tab}x.rep}"
line 1 1 interactive.start command "$command" >"$trace.1"
bundle
no_secret "a '}' and a tab in the tool's password"
grep -aqF -- '\tadmin\t********\t2026-11-30\tdemo-server\t' <<<"$all" ||
  fail "the tool's command line lost more than its password: $(grep -a interactive <<<"$all")"

# A UTF-16 generation: every line left out, as one.
printf '%s\n%s\n' "$(line 1 1 login server 'pwd=S3cret')" '<Password>S3cret</Password>' |
  iconv -f UTF-8 -t UTF-16 >"$trace.1"
bundle
no_secret "UTF-16"
expect_out "  - the trace $trace.1, line(s) 1-3: not a line of the library's trace" "UTF-16"

# Another account (nobody, where the tests run as root) in a folder every
# account may write, as the machine-wide switch's is.
if [ "$me" -eq 0 ]; then
  chmod 1777 "$traces"
  chmod 0755 "$work"
  as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
  secret=$work/root-only.conf
  printf '<connectionStrings>Server=db;Password=S3cret</connectionStrings>\n' >"$secret"
  chmod 0600 "$secret"
  rm -f "$trace.1"
  as_nobody ln -s "$secret" "$trace.1"
  bundle
  no_secret "a linked generation"
  expect_out "  - the trace $trace.1: it is a link, which the bundle does not follow" "a linked generation"
  rm -f "$trace.1"
  as_nobody sh -c "cat >'$trace.1'" <"$secret"
  bundle
  no_secret "another account's generation"
  expect_out "  - the trace $trace.1: it belongs to another account ($(id -u nobody)) than the current generation ($me)" "another account's generation"
  rm -f "$trace.1"
  ln "$secret" "$trace.1"
  bundle
  no_secret "a generation that is a second name"
  expect_out "  - the trace $trace.1: it is a second name of a file (a hard link)" "a hard link"
  rm -f "$trace.1"

  # Lines appended to the trace by another account, naming a private file,
  # once as nobody's own call and once claiming this user's.
  chmod 0666 "$trace"
  {
    line 424242 1 call.begin export GetReportDate user "$(id -u nobody)"
    line 424242 1 output.written path "$secret" bytes 9
    line 424243 1 call.begin export GetReportDate user "$me"
    line 424243 1 output.written path "$secret" bytes 9
    line 424244 1 output.written path "$secret" bytes 9
  } | as_nobody sh -c "cat >>'$trace'"
  bundle --with-documents
  no_secret "forged document lines"
  expect_out "  - the filing document $secret: the trace does not say whose call wrote it" "forged lines"
  expect_out "  - the filing document $secret: it is no filing document" "forged lines"
  expect_out "  - the filing document $secret: another account's call wrote it" "forged lines"
  expect_out "  filing documents: documents/national.xml, with its figures" "forged lines"
  expect_out "  calls of 1 other account(s): 1" "forged lines"

  # A link planted where the bundle goes: replaced, never followed.
  victim=$work/victim.txt
  printf 'untouched\n' >"$victim"
  as_nobody ln -s "$victim" "$traces/out.zip"
  (umask 000 && "$tool" support-bundle -o "$traces/out.zip" >/dev/null)
  [ "$(cat "$victim")" = untouched ] || fail "the bundle was written through a link"
  [ -f "$traces/out.zip" ] && [ ! -L "$traces/out.zip" ] && [ "$(stat -c %a "$traces/out.zip")" = 600 ] ||
    fail "the bundle at a planted link is not a file of this user's alone: $(ls -l "$traces/out.zip")"
fi

# Killed as it moves the bundle into place: no bundle, and the file it was
# writing is its user's alone.
(strace -f -o /dev/null -e trace=rename,renameat,renameat2 \
  -e inject=rename,renameat,renameat2:signal=KILL "$tool" support-bundle -o "$work/k.zip"; true) >/dev/null 2>&1
[ ! -e "$work/k.zip" ] || fail "a bundle killed before its move is there: $(ls -l "$work/k.zip")"
for left in "$work"/k.zip.tmp.*; do
  [ "$(stat -c %a "$left")" = 600 ] || fail "the unfinished bundle $left is readable by others"
done

# Document lines of this user's own calls that name no document of theirs:
# a relative path, a batch's .part renamed since, a .part gone altogether.
mkdir -p "$work/batch"
cp "$work/national.xml" "$work/batch/001.xml"
{
  line "$pid" 7 call.begin export GetReportDate user "$me"
  line "$pid" 7 output.written path national.xml bytes 9
  line "$pid" 8 call.begin export GetReportDate user "$me"
  line "$pid" 8 output.written path "$work/batch/002.xml.part" bytes 9
  line "$pid" 9 call.begin export GetReportDate user "$me"
  line "$pid" 9 output.written path "$work/batch/001.xml.part" bytes 9
  line "$pid" 10 call.begin export GetReportDate user "$me"
  line "$pid" 10 output.written path "$work/batch/002.xml.part" bytes 9
  line "$pid" 11 call.begin export GetReportDate user "$me"
  line "$pid" 11 output.written path national.xml bytes 9
} >"$trace"
bundle --with-documents
no_secret "relative and .part documents"
expect_out "  - the filing document national.xml: a relative path, whose folder the trace does not say" "a relative path"
expect_out "  - the filing document $work/batch/002.xml: there is no such file" "a .part gone"
expect_out "  filing documents: documents/001.xml, with its figures" "a renamed .part"
[ "$(grep -c 'national.xml: a relative path' <<<"$out")" -eq 1 ] ||
  fail "documents older than the one packed were looked at: $out"

# --anonymize: the trace's account, server and installation folder are hashes.
bundle --anonymize --with-documents
expect_status 0 "--anonymize"
for name in demo-server "$(basename "$work")" "account=001"; do
  grep -aqF -- "$name" <<<"$(unzip -p "$work/b.zip" 'trace/*' doctor.txt registry.txt CONTENTS.txt)" &&
    fail "--anonymize left $name in the bundle"
done
expect_out "filing documents: --anonymize leaves them out" "--anonymize"

run "$tool" trace off
