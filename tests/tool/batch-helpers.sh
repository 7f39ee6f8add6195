# Helpers for the batch groups, native and under Wine: an installation whose
# figures the stand-in tool makes from the account, the accounts file, and
# readings of the summary that do not use the tool's own code.

# The national-tax templates with figures from the account: a line of the
# balance sheet that no rule names, "附：账套<account>" with "<account>.10"
# as both amounts, so that every account's figures still add up; and for
# the account VOKWQM7_ODD_ACCOUNT names, a total of liabilities and equity
# one yuan over (it does not balance).
batch_templates() {
  local national=$1/国税申报 cell='<row1>20</row1><col1>%s</col1><row2>20</row2><col2>%s</col2><value>'
  iconv -f GBK -t UTF-8 "$national/hxzcfzb.rep" |
    sed -e "s|\($(printf "$cell" 1 1)\)<|\1附：账套{account}<|; s|\($(printf "$cell" 2 2)\)<|\131<|" \
      -e "s|\($(printf "$cell" 3 3)\)<|\1{account}.10<|; s|\($(printf "$cell" 4 4)\)<|\1{account}.10<|" \
      -e '/<col1>8<\/col1>/s/>2621680.15</>262168{odd}.15</' |
    iconv -f UTF-8 -t GBK >"$national/hxzcfzb.rep.new" && mv "$national/hxzcfzb.rep.new" "$national/hxzcfzb.rep"
  [ "$(grep -c '{account}' "$national/hxzcfzb.rep")" -eq 3 ] && grep -q '{odd}' "$national/hxzcfzb.rep" ||
    fail "the batch templates have no figures from the account"
}

# The accounts file of the batch tests (UTF-8; GBK where $1 says so): five
# accounts to make, 102 the one the tool fails for and 103 the one that does
# not balance, 104 taking the period from --period, a row without account,
# one whose year is no number and a duplicate.
batch_accounts() {
  local text='account,名称,period,year
101,华信商贸,11,2026
102,东方贸易,11,2026
103,南山物流,11,2026
,无账套,11,2026
104,北辰科技,,2026
105,西湖茶业,11,2O26
101,华信商贸,11,2026
106,大明五金,10,2026'
  if [ "${1:-}" = gbk ]; then iconv -f UTF-8 -t GBK <<<"$text"; else printf '%s\n' "$text"; fi
}
batch_env=(VOKWQM7_NO_OUTPUT_ACCOUNT=102 VOKWQM7_ODD_ACCOUNT=103)

# The fields of the CSV line $1 joined by "|", quotes as RFC 4180 has them.
csv_fields() {
  local line=$1 field= joined= quoted=0 i c
  for ((i = 0; i < ${#line}; i++)); do
    c=${line:i:1}
    if ((quoted)); then
      if [ "$c" != '"' ]; then field+=$c
      elif [ "${line:i+1:1}" = '"' ]; then field+='"'; i=$((i + 1))
      else quoted=0; fi
    elif [ "$c" = '"' ]; then quoted=1
    elif [ "$c" = , ]; then joined+=$field'|'; field=
    else field+=$c; fi
  done
  printf '%s\n' "$joined$field"
}

# The rows of summary.csv $1 read back, the seconds column and the inputs
# after the document left out:
# "account|year|period|export|result|checks|message|document".
summary_rows() {
  local line
  while IFS= read -r line; do
    csv_fields "${line%$'\r'}" | cut -d'|' -f1-5,7-9
  done < <(tail -c +4 "$1")
}

# The inputs summary.csv $1 records of the document $2:
# "server|template|template sha256|rules sha256".
summary_inputs() {
  local line
  while IFS= read -r line; do
    line=$(csv_fields "${line%$'\r'}")
    [ "$(cut -d'|' -f9 <<<"$line")" = "$2" ] && cut -d'|' -f10- <<<"$line"
  done < <(tail -c +4 "$1")
}

# Checks that summary.csv $1 starts with a UTF-8 byte-order mark, is UTF-8
# with CR LF line ends and holds exactly the rows given, in order.
expect_summary_csv() {
  local file=$1 what=$2
  shift 2
  [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$what: no byte-order mark"
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 || fail "$what: summary.csv is no UTF-8"
  [ "$(grep -c $'\r$' "$file")" -eq "$(wc -l <"$file")" ] || fail "$what: not every line ends in CR LF"
  local expected actual
  expected=$(printf '%s\n' "account|year|period|export|result|checks|message|document" "$@")
  actual=$(summary_rows "$file")
  [ "$actual" = "$expected" ] || fail "$what: summary.csv holds
$actual
instead of
$expected"
}

# What a batch of batch_accounts leaves: summary.csv $1, and the plain
# progress lines in $err.
batch_failed_check="FAILED: balance sheet: 资产总计 (line 15) equals 负债和所有者权益总计 (line 30) (and 1 more)"
batch_message="接口程序无损益表数据文件输出!"
expect_batch_of_accounts() {
  expect_summary_csv "$1" "$2" \
    "101|2026|11|GetReportDate|made|passed||101-2026-11.xml" \
    "102|2026|11|GetReportDate|FAILED||$batch_message|102-2026-11.xml" \
    "103|2026|11|GetReportDate|made|$batch_failed_check||103-2026-11.xml" \
    "|||GetReportDate|bad row||line 5, column 1 (account) is empty|" \
    "104|2026|11|GetReportDate|made|passed||104-2026-11.xml" \
    "105|||GetReportDate|bad row||line 7, column 4 (year): \"2O26\" is not a number|" \
    "101|2026|11|GetReportDate|bad row||line 8: account 101 for 2026-11 is already on line 2|" \
    "106|2026|10|GetReportDate|made|passed||106-2026-10.xml"
  local plain
  plain=$(grep -E '^\[[0-9]/5\]' <<<"$err" | sed -E 's/ \([0-9.]+ s\)$//')
  [ "$plain" = "[1/5] 101 2026-11: made, checks passed
[2/5] 102 2026-11: GetReportDate FAILED: $batch_message
[3/5] 103 2026-11: made, checks $batch_failed_check
[4/5] 104 2026-11: made, checks passed
[5/5] 106 2026-10: made, checks passed" ] || fail "$2: the plain progress lines are $plain"
}

# The accounts of the tool's runs in its log since line $2 of the log $1.
tool_runs() { tail -n +"$2" "$1" | sed -E 's/^-LQM7_VOK\{([^ ]*) .*/\1/' | tr '\n' ' '; }

# The report tool of a batch killed in the middle of a call runs to its end
# unrecorded (Linux ends nothing with its host); the next call, and doctor,
# count it as running in the installation. Waits, at most 15 s, until no
# report tool of the installation $1 runs.
wait_for_report_tools() {
  local _
  for _ in $(seq 300); do
    pgrep -f -- "$1/vokwqm7.exe" >/dev/null || return 0
    sleep 0.05
  done
  fail "a report tool of $1 still runs: $(pgrep -af -- "$1/vokwqm7.exe")"
}
