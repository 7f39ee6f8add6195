# Helpers for the show groups: filing documents made from the demo's, and
# readings of show's tables that do not use the tool's own code.

# Writes UTF-8 text from stdin to the file $1 as GBK.
gbk_file() { iconv -f UTF-8 -t GBK >"$1"; }

# The file $1 (GBK) with the sed script $2 applied, written to $3 as GBK.
edited_filing() { iconv -f GBK -t UTF-8 "$1" | sed -e "$2" | gbk_file "$3"; }

# Every item of the GBK filing document $1 as "line|name|amount|amount".
document_items() {
  iconv -f GBK -t UTF-8 "$1" | sed 's#</SB_[A-Z]*_XM>#&\n#g' | sed -nE \
    's#.*<SB_[A-Z]+_LC>([^<]*)</SB_[A-Z]+_LC><SB_[A-Z]+_XMMC>([^<]*)</SB_[A-Z]+_XMMC><SB_[A-Z]+_[A-Z]+>([^<]*)</SB_[A-Z]+_[A-Z]+><SB_[A-Z]+_[A-Z]+>([^<]*)</SB_[A-Z]+_[A-Z]+></SB_[A-Z]+_XM>$#\1|\2|\3|\4#p'
}

# The rows of show's tables in $out as "line|name|amount|amount": the
# cells are at least two blanks apart.
shown_rows() { sed -E 's/^ +//; s/ {2,}/|/g' <<<"$out"; }

# Checks that every item of the document $1 is a row of show's output.
expect_every_item_shown() {
  local items item rows count=0
  items=$(document_items "$1")
  rows=$(shown_rows)
  while IFS= read -r item; do
    count=$((count + 1))
    grep -qxF -- "$item" <<<"$rows" || fail "$2: no row $item"
  done <<<"$items"
  [ "$count" -ge "${3:-1}" ] || fail "$2: only $count items in $1"
}

# Display width of a UTF-8 line, as glibc's wcwidth counts it (CJK wide).
line_width() { printf '%s' "$1" | LC_ALL=C.UTF-8 wc -L; }

# Checks that in every table of $out each row holding an amount ends in the
# same column as the table's title row (amounts are right-aligned in their
# columns, so a shifted cell shows here).
expect_aligned() {
  local line width=-1
  while IFS= read -r line; do
    if [[ $line == *行次* ]]; then width=$(line_width "$line"); continue; fi
    [ -z "$line" ] && width=-1
    [ "$width" -ge 0 ] && [[ $line =~ [0-9]$ ]] || continue
    [ "$(line_width "$line")" -eq "$width" ] || fail "$1: row not aligned ($width columns): $line"
  done <<<"$out"
}

# The filing of the demo's national-tax templates, and its financial one.
make_demo_filings() {
  "$tool" report-date "${login[@]}" -o national.xml >/dev/null || fail "report-date for show"
  "$tool" report-date --financial "${login[@]}" -o financial.xml >/dev/null ||
    fail "report-date --financial for show"
}
