# vokqm7.exe and the real DLL on paths whose names hold GBK characters that
# end in the byte of a backslash: 誠 D5 5C, 運 DF 5C, 錦 E5 5C, 衆 D0 5C,
# 診 D4 5C, 謀 D6 5C. One table: output names and folders with them, a
# folder whose name ends in one, the installation folder (the registry
# value) and a template path with them, a cell export, a trace file, a batch
# output folder and a show --html page. Each command must succeed and leave
# exactly the files it was asked for, nowhere else.
# Then show and doctor under a locale whose ANSI code page is 1252.

win() { printf 'Z:%s' "${1//\//\\}"; }

# The installation in a folder whose name ends in 錦, found by the registry.
weird=$work/安裝運輸錦
rm -rf "$weird"
cp -r "$install" "$weird"
set_install_value "$weird"
p=$work/paths
mkdir -p "$p/錦表誠" "$p/表錦" "$p/衆" "$p/誠" "$p/運"
cp "$install/vok/vokModel/财务申报/zcfzb.rep" "$p/錦表誠/誠.rep"
cp "$install/vok/vokModel/国税申报/hxzcfzb.rep" "$p/運/單表錦.rep"
printf 'account\n001\n' >"$p/accounts.csv"
logins="${login[*]}"

# Every file under $work but the installation's, which the tool and the
# DLL work in, and the runner's own output files.
files_now() { find "$work" -type f ! -path "$weird/*" ! -name '.*' | sort; }

# what | the files it must make, under $p | the arguments of vokqm7.exe
table="name ending in 0x5C|誠信.xml|report-date $logins -o $(win "$p/誠信.xml")
relative name|運輸.xml|report-date $logins -o ..\\paths\\運輸.xml
folder and name|錦表誠/錦.xml|report-date --financial $logins -o $(win "$p/錦表誠/錦.xml")
folder ending in 錦|表錦/誠.xml|report-date $logins -o $(win "$p/表錦/誠.xml")
衆 診 謀|衆/診謀.xml|report-date $logins -o $(win "$p/衆/診謀.xml")
template path|誠/資產.xml|report --type zcfzb --template $(win "$p/錦表誠/誠.rep") $logins -o $(win "$p/誠/資產.xml")
cell export|運/數據錦.xml|export --template $(win "$p/運/單表錦.rep") --data $(win "$p/運/數據錦.xml") $logins
batch folder ending in 錦|批錦/001-2026-11.xml 批錦/summary.csv|batch $(win "$p/accounts.csv") -o $(win "$p/批錦") --year 2026 --period 11 --server demo-server
show --html page|誠/運.html|show $(win "$p/誠信.xml") --html -o $(win "$p/誠/運.html")
trace file|誠/錦.log|trace on $(win "$p/誠/錦.log")
traced call|衆/跟踪.xml|report-date $logins -o $(win "$p/衆/跟踪.xml")"

while IFS='|' read -r what made arguments; do
  before=$(files_now)
  read -r -a words <<<"$arguments"
  wine_run vokqm7.exe "${words[@]}"
  expect_status 0 "paths, $what"
  expected=$( (printf '%s\n' "$before"; for file in $made; do echo "$p/$file"; done) | sort)
  [ "$(files_now)" = "$expected" ] ||
    fail "paths, $what: made $(comm -13 <(echo "$before") <(files_now) | tr '\n' ' ')instead of $made"
  # The trace file is empty until a call writes to it (checked below).
  for file in $made; do
    [ -s "$p/$file" ] || [[ $file == *.log ]] || fail "paths, $what: $file is empty"
  done
done <<<"$table"

expect_gbk_file_has "$p/誠信.xml" "<SB_SYB_DM>成功</SB_SYB_DM>" "paths, the document"
cmp -s "$p/運/單表錦.rep" "$p/運/數據錦.xml" || fail "paths, cell export: not the tool's export"
grep -q 'event=call.begin export=GetReportDate' "$p/誠/錦.log" || fail "paths, trace: no call in $p/誠/錦.log"
grep -qF "location=Z:${weird//\//\\}\\vok" "$p/誠/錦.log" ||
  fail "paths, trace: the installation folder is not $weird"
wine_run vokqm7.exe trace off
expect_status 0 "paths, trace off"
wine_run vokqm7.exe doctor
expect_status 0 "paths, doctor"
expect_out "ok       installation folder: $(win "$weird")\\vok" "paths, doctor"
expect_out "ok       the system's ANSI code page is 936 (GBK)" "paths, doctor"

# Code page 1252 for one command: out and err UTF-8 still, converted from
# the ANSI code page.
wine_run_1252() {
  (cd "$work/bin" && "${wine_env[@]}" LANG=en_US.UTF-8 "$loader" vokqm7.exe "$@") \
    >"$work/.out.1252" 2>"$work/.err.1252"
  status=$?
  out=$(tr -d '\r' <"$work/.out.1252")
  err=$(tr -d '\r' <"$work/.err.1252")
}
# A GBK document whose characters Windows-1252 has too: decoded as GBK they
# read as they were written; decoded as 1252 they would be "Caf¨¦ ¡Á".
printf '<?xml version="1.0" encoding="GBK"?><DZSBB><SB_SYB><SB_SYB_BTXX><SB_SYB_BZDW>%s</SB_SYB_BZDW><SB_SYB_SKSSQ>202611</SB_SYB_SKSSQ></SB_SYB_BTXX><SB_SYB_MXXX><SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>%s</SB_SYB_XMMC><SB_SYB_BYS>1.00</SB_SYB_BYS><SB_SYB_BNLJ>2.00</SB_SYB_BNLJ></SB_SYB_XM></SB_SYB_MXXX></SB_SYB></DZSBB>' \
  'Café × Müller' 'Crème · è' | iconv -f UTF-8 -t GBK >"$work/bin/latin.xml"
# Read whole and decoded; its one line fits no layout of the shipped
# rules, so its figures are not checked (5), which is no decoding failure.
wine_run_1252 show latin.xml
expect_status 5 "show under code page 1252"
expect_out "Café × Müller" "show under code page 1252, decoded as GBK"
expect_out "Crème · è" "show under code page 1252, decoded as GBK"
# The tool's texts are GBK whatever the ANSI code page: a Chinese document
# reads as it was written, and goes out as UTF-8.
cp "$p/表錦/誠.xml" "$work/bin/chinese.xml"
wine_run_1252 show chinese.xml
expect_status 0 "show of a Chinese document under code page 1252"
expect_out "一、主营业务收入" "show of a Chinese document under code page 1252"
wine_run_1252 doctor
expect_status 3 "doctor under code page 1252"
expect_out "PROBLEM  the system's ANSI code page is 1252, not 936 (GBK): calls whose login text or paths hold Chinese characters are refused" "doctor under code page 1252"
delete_install_value
