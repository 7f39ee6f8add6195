# The life of one filings folder that batch writes, run by run, natively
# and under Wine: desks that take turns, documents swapped or made from a
# template that changed, a summary a spreadsheet program saved, a server
# corrected, a full volume. After each case, every row of the record that
# says its document was made or kept names the digest of the very document
# the folder holds under its name.
#
# The group that sources it gives:
#   vok [NAME=VALUE...] ARGS...   the tool in $at: status, out, err
#   vok_start NAME [NAME=VALUE...] ARGS...
#                                 the same in the background, its pid in
#                                 $started, its output kept under NAME
#   vok_finish PID NAME           waits for it: status, out, err
#   at, log, model                where relative paths lead, the stand-in
#                                 tool's log, the templates
#   desk2                         NAME=VALUE words of another desk (another
#                                 installation where it can)
# and runs `life` over a table of cases, in order, on the folder $at/F,
# which sourcing this file makes a small tmpfs of its own where this user
# may mount one (`mounted` is "yes", else why not; the group unmounts it).
mkdir -p "$at/F"
if mount -t tmpfs -o size=4m tmpfs "$at/F" 2>"$at/mount.err"; then
  mounted=yes
else
  mounted="this user may not mount a tmpfs: $(cat "$at/mount.err")"
fi

# The rows of summary.csv $1 as "result|document|document sha256", its
# header left out.
record_rows() {
  local line
  while IFS= read -r line; do
    csv_fields "${line%$'\r'}" | awk -F'|' '{ print $5 "|" $9 "|" $14 }'
  done < <(tail -n +2 "$1")
}

# The record of the folder $2 ($at/F) vouches for each document it says
# was made or kept, by its digest; no pending row and no temporary file is
# left.
expect_vouched() {
  local dir=${2:-$at/F} result document digest
  while IFS='|' read -r result document digest; do
    [[ $result == pending* ]] && fail "$1: a pending row stays for $document"
    [[ $result =~ ^(made|kept)$|\((made|kept)\)$ ]] || continue
    [ -n "$digest" ] && [ "$(sha256sum <"$dir/$document" 2>/dev/null | cut -d' ' -f1)" = "$digest" ] ||
      fail "$1: the record says $document was $result, but the folder holds another document"
  done < <(record_rows "$dir/summary.csv")
  ! compgen -G "$dir/*.part" >/dev/null && ! compgen -G "$dir/*.tmp.*" >/dev/null &&
    ! compgen -G "$dir/vok*.tmp" >/dev/null || fail "$1: temporary files stay: $(ls "$dir")"
}

counted() { ls "$at/F/earlier" 2>/dev/null | grep -c '\.xml$'; }
runs_since() { tool_runs "$log" "$1"; }
log_lines() { [ -e "$log" ] && wc -l <"$log" || echo 0; }
# Waits (up to about 15 s) until the report tool has started $2 more times
# since the log had $1 lines.
until_runs() {
  for _ in $(seq 300); do [ "$(log_lines)" -ge $(($1 + $2)) ] && return; sleep 0.05; done
  fail "the report tool never ran $2 times"
}
three=(batch three.csv -o F --year 2026 --period 11 --server s1)
printf 'account\n001\n002\n003\n' >"$at/three.csv"
printf 'account\n001\n' >"$at/one.csv"

# Each case: what it does, then the status and a line of stderr the run
# that it ends with gives.
case_first() {
  vok "${three[@]}"
  grep -qF '"=""001""",2026,11,' "$at/F/summary.csv" || fail "first: 001 is not kept as text for a spreadsheet"
}
case_two_desks() {
  # Desk 1 remakes every account slowly; desk 2 comes meanwhile, once with
  # the usual wait, once with none.
  vok_start one VOKWQM7_SLEEP_MS=200 "${three[@]}"
  local first=$started
  until_runs "$1" 1
  vok_start two "${desk2[@]}" batch one.csv -o F --year 2026 --period 11 --server s1
  local second=$started
  vok "${desk2[@]}" batch one.csv -o F --year 2026 --period 11 --server s1 --wait 0
  expect_status 6 "two desks: the second without waiting"
  expect_err "F is in use by another batch (desk " "two desks: the second without waiting"
  vok_finish "$first" one
  expect_status 0 "two desks: the first"
  vok_finish "$second" two
}
case_swapped() {
  vok batch three.csv -o F --year 2026 --period 10 --server s1
  cp "$at/F/002-2026-10.xml" "$at/F/002-2026-11.xml"
  local before
  before=$(log_lines)
  vok "${three[@]}" --resume
  [[ $(runs_since $((before + 1))) == *"002 002 "* ]] || fail "swapped: 002 was not made again"
  [ "$(counted)" -ge 1 ] || fail "swapped: the swapped document did not go to earlier/"
}
case_template_changed() {
  local rep=$model/国税申报/hxzcfzb.rep before
  cp "$rep" "$at/hxzcfzb.saved"
  # While 002 is made: 001 before, 003 after.
  vok_start one VOKWQM7_SLEEP_MS=200 "${three[@]}"
  until_runs "$1" 3
  printf ' ' >>"$rep"
  vok_finish "$started" one
  cp "$at/hxzcfzb.saved" "$rep"
  before=$(log_lines)
  vok "${three[@]}" --resume
  [ "$(runs_since $((before + 1)))" = "002 002 003 003 " ] ||
    fail "template changed: --resume made $(runs_since $((before + 1)))"
}
case_spreadsheet() {
  local csv=$at/F/summary.csv saved=$at/summary.saved how
  cp "$csv" "$saved"
  while IFS='|' read -r how said; do
    case $how in
      semicolons) sed 's/,/;/g' "$saved" >"$csv" ;;
      column) sed '1s/\r$/,note\r/' "$saved" >"$csv" ;;
      renamed) sed '1s/account/Account/' "$saved" >"$csv" ;;
    esac
    cp "$csv" "$at/summary.edited"
    vok "${three[@]}" --resume
    expect_status 2 "spreadsheet: $how"
    expect_err "$said" "spreadsheet: $how"
    cmp -s "$csv" "$at/summary.edited" || fail "spreadsheet: $how: summary.csv was changed"
  done <<'EOF'
semicolons|its fields are separated by semicolons, not by commas. It is left as it is
column|it has a column "note" (column 18) that this tool does not write
renamed|its column 1 is "Account" where this tool writes "account"
EOF
  # Saved as shown: 001 without its zeros, a last empty field dropped.
  sed -e 's/^"=""\(00\)\([1-9]\)""",/\2,/' -e '$s/,\r$/\r/' "$saved" >"$csv"
  local before earlier
  before=$(log_lines) earlier=$(counted)
  vok "${three[@]}" --resume
  [ -z "$(runs_since $((before + 1)))" ] && [ "$(counted)" = "$earlier" ] ||
    fail "spreadsheet: as saved: made $(runs_since $((before + 1)))and set $(($(counted) - earlier)) aside"
}
case_corrected_server() {
  printf 'account,server\n001,east\n001,west\n002,s1\n003,s1\n' >"$at/servers.csv"
  vok batch servers.csv -o F --year 2026 --period 11
  expect_status 0 "corrected server: the first run"
  expect_out "server  export" "corrected server: the table"
  printf 'account,server\n001,east\n002,s1\n003,s1\n' >"$at/servers.csv"
  vok batch servers.csv -o F --year 2026 --period 11 --resume
  expect_err "001-west-2026-11.xml: the accounts file no longer lists the server west for this account and period (001-2026-11.xml); the document is now earlier/001-west-2026-11." "corrected server"
  [ ! -e "$at/F/001-west-2026-11.xml" ] && [ ! -e "$at/F/001-east-2026-11.xml" ] ||
    fail "corrected server: superseded filings stay current: $(ls "$at/F")"
}
case_full() {
  if [ "$mounted" != yes ]; then
    echo "SKIP the full volume: $mounted"
    status=4 err="KiB free, and the run needs about 256 KiB"
    return
  fi
  local before
  before=$(cd "$at/F" && sha256sum ./*.xml)
  head -c $(($(df -k --output=avail "$at/F" | tail -n 1) * 1024 - 64 * 1024)) /dev/zero >"$at/F/filler" 2>/dev/null
  vok "${three[@]}" --check
  expect_status 4 "full: --check"
  expect_out "KiB free, and the run needs about 1024 KiB" "full: --check"
  vok VOKWQM7_NO_OUTPUT=1 "${three[@]}"
  [ "$(cd "$at/F" && sha256sum ./*.xml)" = "$before" ] || fail "full: documents changed or moved"
  rm -f "$at/F/filler"
}
case_killed() {
  vok_start one VOKWQM7_SLEEP_MS=300 "${three[@]}"
  until_runs "$1" 1
  kill -KILL "$started"
  vok_finish "$started" one
  wait_for_report_tools "$install/vok"
  vok "${three[@]}" --resume
}

# life CASE|STATUS|STDERR ...: the cases in order, each checked as above.
life() {
  local name expected said
  while IFS='|' read -r name expected said; do
    [ -n "$name" ] || continue
    echo "T $(date +%s.%N) $name" >&2; "case_${name//-/_}" "$(log_lines)"
    expect_status "$expected" "$name"
    expect_err "$said" "$name"
    expect_vouched "$name"
  done
}
