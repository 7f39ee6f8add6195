# One filings folder over its life (batch-folder-life.sh); then what only
# Linux shows: a kill at each rename of a rerun, a second user, a lock file
# planted or replaced.
. "$here/batch-helpers.sh"
batch_templates "$model"
log=$vok/vokwqm7.log
at=$work

vok() {
  local words=()
  while [[ $1 == *=* ]]; do words+=("$1"); shift; done
  run env "${words[@]}" "$tool" "$@"
}
vok_start() {
  local name=$1 words=()
  shift
  while [[ $1 == *=* ]]; do words+=("$1"); shift; done
  env "${words[@]}" "$tool" "$@" >"$at/$name.out" 2>"$at/$name.err" &
  started=$!
}
vok_finish() {
  wait "$1" 2>/dev/null
  status=$? out=$(cat "$at/$2.out") err=$(cat "$at/$2.err")
}

# Desk 2: another installation, with its own registry.
cp -r "$install" "$work/install2"
mkdir -p "$work/registry2" && cp -r "$VOKQM7_REGISTRY/." "$work/registry2/"
printf '%s\n' "$work/install2" >"$work/registry2/${value_file#"$VOKQM7_REGISTRY"/}"
desk2=(VOKQM7_REGISTRY="$work/registry2")

. "$here/batch-folder-life.sh"
[ "$mounted" = yes ] && trap 'umount "$work/F"; chmod -R u+w "$work"; rm -rf "$work"' EXIT
life <<'EOF'
first|0|GetReportDate for the accounts of three.csv (UTF-8) into F
two-desks|0|waiting for F, in use by another batch (desk
swapped|0|002-2026-11.xml is not the document summary.csv says was made: it states the report period 202610, not 202611
template-changed|0|[1/3] 001 2026-11: kept from an earlier run
spreadsheet|0|F/summary.csv: line 2 gives the account of 001-2026-11.xml as 1: a spreadsheet program took away its leading zeros; it is read as 001
corrected-server|0|001-east-2026-11.xml: superseded by 001-2026-11.xml of the same server; the document is now earlier/001-east-2026-11.
killed|0|[3/3] 003 2026-11:
full|4|KiB free, and the run needs about 256 KiB
EOF

# A rerun of 001 from a template that changed (its document differs, and
# the earlier one goes to earlier/), killed as it enters each of its
# renames in turn. The next run settles what it finds: every row vouches
# for its document, and the earlier document is in earlier/ once,
# whatever the moment.
command -v strace >/dev/null || fail "strace is missing (scripts/install-deps native): no kill at each rename"
rm -rf K0 && cp -r F K0 && rm -rf K0/earlier
kept=$(sha256sum <K0/001-2026-11.xml | cut -d' ' -f1)
rep=$model/国税申报/hxzcfzb.rep
cp "$rep" hxzcfzb.saved
iconv -f GBK -t UTF-8 hxzcfzb.saved | sed 's/附：账套/附：帐套/' | iconv -f UTF-8 -t GBK >"$rep"
rerun=("$tool" batch one.csv -o K --year 2026 --period 11 --server s1)
cp -r K0 K
strace -o renames.log -e trace=rename,renameat,renameat2 "${rerun[@]}" >/dev/null 2>&1
renames=$(grep -c '^rename' renames.log)
[ "$renames" -eq 6 ] || fail "the rerun renames $renames times, not 6: $(cat renames.log)"
for ((n = 1; n <= renames; n++)); do
  rm -rf K && cp -r K0 K
  (strace -o /dev/null -e trace=rename,renameat,renameat2 \
    -e "inject=rename,renameat,renameat2:signal=SIGKILL:when=$n" "${rerun[@]}" >/dev/null 2>&1) 2>/dev/null
  [ $? -eq 137 ] || fail "kill at rename $n: the batch was not killed"
  run "${rerun[@]}" --resume
  expect_status 0 "kill at rename $n, then --resume"
  expect_vouched "kill at rename $n" "$work/K"
  [ "$(for f in K/earlier/*.xml; do sha256sum <"$f"; done 2>/dev/null | grep -c "$kept")" -eq 1 ] ||
    fail "kill at rename $n: earlier/ does not hold 001's earlier document once: $(ls K/earlier 2>/dev/null)"
done
cp hxzcfzb.saved "$rep"

# Another user's batch (nobody, where the tests run as root) waits for the
# folder like any desk's and says who holds it; a lock file planted as a
# link, or replaced under a run, stops the run rather than letting two in.
before=$(log_lines)
vok_start one VOKWQM7_SLEEP_MS=300 "${three[@]}"
until_runs "$before" 1
if [ "$(id -u)" -eq 0 ]; then
  chmod 0755 "$work"
  run setpriv --reuid=nobody --regid=nogroup --clear-groups "$tool" batch one.csv -o F --year 2026 \
    --period 11 --server s1 --wait 0
  expect_status 6 "another user"
  expect_err "F is in use by another batch (desk $(hostname), user root, process $started (vokqm7)" "another user"
fi
mv F/.vokqm7-batch.lock F/lock.held && touch F/.vokqm7-batch.lock
vok_finish "$started" one
expect_status 4 "a lock file replaced under a run"
expect_err "F/.vokqm7-batch.lock was removed or replaced while this run held it" "a lock file replaced"
rm F/.vokqm7-batch.lock F/lock.held && ln -s "$work/elsewhere" F/.vokqm7-batch.lock
vok "${three[@]}" --resume
expect_status 4 "a lock file planted as a link"
expect_err "cannot take F for this run: F/.vokqm7-batch.lock: " "a lock file planted as a link"
[ ! -e "$work/elsewhere" ] || fail "a lock file planted as a link: the run wrote where it leads"
rm F/.vokqm7-batch.lock
vok "${three[@]}" --resume
expect_status 0 "after the planted link"
expect_vouched "after the planted link"
