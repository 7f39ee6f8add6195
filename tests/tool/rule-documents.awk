# Filing documents made from a shipped rule file, for the show tests: one
# whose lines hold figures that satisfy every rule, and for each rule one
# broken by a cent. Read on its own, not with the tool's code:
#   awk -v stem=NAME -f rule-documents.awk FILE.rules
# writes NAME.xml and NAME-<rule>.xml (UTF-8) into the current folder and
# prints a line "file|status|kind|text" for each thing show must say of
# them, kind being "out" (a line of stdout) or "failed" (how many rules fail).
function cents(v,   s) { s = v < 0 ? "-" : ""; if (v < 0) v = -v; return sprintf("%s%d.%02d", s, int(v / 100), v % 100) }
function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t\r]+$/, "", s); return s }
# The name a rule file writes as a document's item: as it stands, with 加：
# or 减： before a line that a rule adds or subtracts, as statements print
# them, which tells layouts of the same lines and other signs apart.
function item(name) {
  if (!(name in number)) { number[name] = ++items; order[items] = name }
}
/^[ \t]*\/\// || /^[ \t\r]*$/ { next }
/^\[/ {
  income = index($0, "损益表") > 0
  next
}
{
  rule = trim($0)
  split(rule, halves, " = ")
  rules++
  text[rules] = rule
  target[rules] = trim(halves[1]); item(target[rules])
  n = split(halves[2], words, " ")
  terms[rules] = 0; sign = 1
  for (w = 1; w <= n; w++) {
    if (words[w] == "+") { sign = 1; continue }
    if (words[w] == "-") { sign = -1; continue }
    t = ++terms[rules]; term[rules, t] = words[w]; tsign[rules, t] = sign; item(words[w])
    if (!(words[w] in printed)) printed[words[w]] = sign < 0 ? "减：" : "加："
  }
}
# Figures for column c that satisfy every rule: a rule with one item left
# unknown decides it, else the first unknown item gets a figure of its own.
function solve(c,   r, t, left, which, sum, i, changed, name) {
  for (;;) {
    changed = 0
    for (r = 1; r <= equations; r++) {
      left = 0
      if (!((c, target[r]) in value)) { left++; which = 0 }
      for (t = 1; t <= terms[r]; t++) if (!((c, term[r, t]) in value)) { left++; which = t }
      if (left != 1) continue
      sum = 0
      for (t = 1; t <= terms[r]; t++) if (t != which) sum += tsign[r, t] * value[c, term[r, t]]
      if (which == 0) value[c, target[r]] = sum
      else value[c, term[r, which]] = tsign[r, which] * (value[c, target[r]] - sum)
      changed = 1
    }
    if (changed) continue
    for (i = 1; i <= items; i++) if (!((c, order[i]) in value)) break
    if (i > items) return
    value[c, order[i]] = (i * 7919 + c * 104729) % 900000 + 100
  }
}
function holds(r, c,   t, sum) {
  sum = 0
  for (t = 1; t <= terms[r]; t++) sum += tsign[r, t] * value[c, term[r, t]]
  return sum == value[c, target[r]]
}
function document(file, broken, column,   i, c, v, out) {
  out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DZSBB><" section "><" section "_MXXX>"
  for (i = 1; i <= items; i++) {
    out = out "<" section "_XM><" section "_LC>" i "</" section "_LC><" section "_XMMC>" printed[order[i]] order[i] "</" section "_XMMC>"
    for (c = 1; c <= 2; c++) {
      v = value[c, order[i]] + (order[i] == broken && c == column ? 1 : 0)
      out = out "<" section "_" element[c] ">" cents(v) "</" section "_" element[c] ">"
    }
    out = out "</" section "_XM>"
  }
  print out "</" section "_MXXX></" section "></DZSBB>" > file
  close(file)
}
END {
  section = income ? "SB_SYB" : "SB_ZCFZB"
  statement = income ? "损益表" : "资产负债表"
  element[1] = income ? "BYS" : "NCS"; element[2] = income ? "BNLJ" : "QMS"
  title[1] = income ? "本月数" : "年初数"; title[2] = income ? "本年累计" : "期末数"
  equations = rules
  # A balance sheet balances too, which show checks besides the rules.
  if (!income) { equations++; target[equations] = "负债和所有者权益总计"; terms[equations] = 1
    term[equations, 1] = "资产总计"; tsign[equations, 1] = 1 }
  for (c = 1; c <= 2; c++) solve(c)
  for (r = 1; r <= equations; r++) for (c = 1; c <= 2; c++) if (!holds(r, c)) print "the figures of " FILENAME " do not hold: " text[r] > "/dev/stderr"
  document(stem ".xml")
  print stem ".xml|0|failed|0"
  for (r = 1; r <= rules; r++) print stem ".xml|0|out|  ok           " statement ": " text[r]
  for (r = 1; r <= rules; r++) {
    c = r % 2 + 1
    file = stem "-" r ".xml"
    document(file, target[r], c)
    # Every rule that names the line fails in that column, and the balance
    # check when the line is one of its totals.
    failing = 0
    for (s = 1; s <= equations; s++) {
      names = target[s] == target[r]
      for (t = 1; t <= terms[s]; t++) names = names || term[s, t] == target[r]
      failing += names
    }
    given = ""
    for (t = 1; t <= terms[r]; t++) {
      v = value[c, term[r, t]]
      given = given (t == 1 ? (tsign[r, t] < 0 ? "-" : "") : (tsign[r, t] < 0 ? " - " : " + ")) cents(v)
      sum += 0
    }
    sum = value[c, target[r]]
    print file "|3|failed|" failing
    print file "|3|out|  FAILED       " statement ": " text[r]
    print file "|3|out|" title[c] ": " target[r] " " cents(sum + 1) ", its lines give " given " = " cents(sum) ", difference 0.01"
  }
}
