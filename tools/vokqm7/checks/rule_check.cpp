#include "checks/rule_check.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "language/language.h"

namespace vok::tool {
namespace {

using Outcome = CheckResult::Outcome;

// A line of the rule: the total (sign 0) or a line it adds (+1) or
// subtracts (-1).
struct Side {
  int sign;
  std::size_t item;
};

// The rule's lines in the list, or why it cannot be compared at all.
struct Located {
  std::vector<Side> sides;             // the total first
  std::vector<const RuleItem*> absent;  // lines it adds that the list does not print
  std::string why;
};

std::string Lines(const PrintedList& list, const std::vector<std::size_t>& found) {
  std::string lines;
  for (std::size_t i : found) lines += (lines.empty() ? "" : ", ") + list.list().items[i].line;
  return lines;
}

Located Locate(const Rule& rule, const PrintedList& list) {
  Located located;
  const auto twice = [&](const RuleItem& item, const std::vector<std::size_t>& found) {
    return TrF("%s lines are %s (lines %s), which one counts is not known: name it by its "
               "line, #N, in a rules file (see --rules)",
               std::to_string(found.size()), RuleItemText(item), Lines(list, found));
  };
  const std::vector<std::size_t> total = list.Find(rule.target);
  if (total.size() != 1) {
    located.why = total.empty()
                      ? TrF("its total %s is not in the statement", RuleItemText(rule.target))
                      : twice(rule.target, total);
    return located;
  }
  located.sides.push_back({0, total.front()});
  for (const RuleTerm& term : rule.terms) {
    const std::vector<std::size_t> found = list.Find(term.item);
    if (found.size() > 1) {
      located.why = twice(term.item, found);
      return located;
    }
    if (found.empty()) {
      located.absent.push_back(&term.item);
      continue;
    }
    if (list.Sign(found.front()) == -term.sign) {
      // Under a 加 or 减 that says otherwise, as where a template hides the
      // line that carried the 减.
      const std::string line = ItemName(list.list().items[found.front()]);
      located.why = term.sign > 0 ? TrF("%s is printed as subtracted, and the rule adds it", line)
                                  : TrF("%s is printed as added, and the rule subtracts it", line);
      return located;
    }
    located.sides.push_back({term.sign, found.front()});
  }
  if (located.sides.size() == 1) {
    located.why = Tr("none of the lines it adds is in the statement");
  }
  return located;
}

bool Among(const std::vector<Side>& sides, std::size_t item) {
  return std::any_of(sides.begin(), sides.end(), [&](const Side& s) { return s.item == item; });
}

// The rule and the rules under it: those whose total is one of its lines
// (or its own total, added up another way), and theirs, and so on.
std::vector<const Rule*> Family(const Rule& rule, const Layout& layout) {
  std::vector<const Rule*> family{&rule};
  for (std::size_t n = 0; n < family.size(); ++n) {
    const Rule& above = *family[n];
    for (const Rule& other : layout.rules) {
      const bool under = other.target == above.target ||
                         std::any_of(above.terms.begin(), above.terms.end(),
                                     [&](const RuleTerm& t) { return t.item == other.target; });
      if (under && std::find(family.begin(), family.end(), &other) == family.end()) {
        family.push_back(&other);
      }
    }
  }
  return family;
}

// [first, last] of the lines' places in 行次 order.
std::pair<std::size_t, std::size_t> Span(const PrintedList& list, const std::vector<Side>& sides) {
  std::pair<std::size_t, std::size_t> span{list.Position(sides.front().item),
                                           list.Position(sides.front().item)};
  for (const Side& side : sides) {
    span.first = std::min(span.first, list.Position(side.item));
    span.second = std::max(span.second, list.Position(side.item));
  }
  return span;
}

// Where a rule's lines stand, in 行次 order: from its first line to its
// last, and where its total comes after them, back to the line before them
// that belongs to another sum (where a template hides its first lines, the
// others stand there); where its total comes first, on to the next line of
// another sum or the next line numbered as its total is ("五、" after "四、").
std::pair<std::size_t, std::size_t> Territory(const Rule& rule, const Layout& layout,
                                              const PrintedList& list,
                                              const std::vector<Side>& sides) {
  auto [first, last] = Span(list, sides);
  const std::vector<const Rule*> family = Family(rule, layout);
  std::vector<bool> others(list.size(), false);  // the lines of the layout's other sums
  for (const Rule& other : layout.rules) {
    if (std::find(family.begin(), family.end(), &other) != family.end()) continue;
    for (std::size_t i : list.Find(other.target)) others[i] = true;
    for (const RuleTerm& term : other.terms) {
      for (std::size_t i : list.Find(term.item)) others[i] = true;
    }
  }
  const auto other_sum = [&](std::size_t position) { return others[list.At(position)]; };
  const std::size_t total = list.Position(sides.front().item);
  if (total == last) {
    while (first > 0 && !other_sum(first - 1)) --first;
  } else if (total == first) {
    const std::u16string& numbering = list.Numbering(sides.front().item);
    while (last + 1 < list.size() && !other_sum(last + 1) &&
           (numbering.empty() || list.Numbering(list.At(last + 1)) != numbering)) {
      ++last;
    }
  }
  return {first, last};
}

// The lines in the rule's territory that it does not account for: not its
// own, not parts, not between the first and last line of a rule under it. A
// line just past those (an office's own line after the last of a block) may
// be the block's or this rule's: it stops both.
std::vector<std::size_t> Unaccounted(const Rule& rule, const Layout& layout,
                                     const PrintedList& list, const std::vector<Side>& sides) {
  const auto [first, last] = Territory(rule, layout, list, sides);
  std::vector<std::pair<std::size_t, std::size_t>> nested;
  for (const Rule* under : Family(rule, layout)) {
    if (under == &rule) continue;
    const Located located = Locate(*under, list);
    if (located.sides.empty()) continue;  // its total is not there
    nested.push_back(Span(list, located.sides));
  }
  std::vector<std::size_t> lines;
  for (std::size_t at = first; at <= last; ++at) {
    const std::size_t i = list.At(at);
    if (Among(sides, i) || list.Part(i) || layout.parts.count(list.Name(i)) > 0) continue;
    const bool under = std::any_of(nested.begin(), nested.end(), [at](const auto& span) {
      return at >= span.first && at <= span.second;
    });
    if (!under) lines.push_back(i);
  }
  return lines;
}

// "1398455.30 + 0.00 - (-1250.40)": the figures of the lines a rule adds.
std::string Terms(const std::vector<std::pair<int, long long>>& terms) {
  std::string text;
  for (const auto& [sign, cents] : terms) {
    const std::string figure = cents < 0 ? "(" + CentsText(cents) + ")" : CentsText(cents);
    if (text.empty()) {
      text = (sign < 0 ? "-" : "") + figure;
    } else {
      text += (sign < 0 ? " - " : " + ") + figure;
    }
  }
  return text;
}

}  // namespace

RuleOutcome CheckRule(const Rule& rule, const Layout& layout, const PrintedList& list,
                      const std::string& list_name, ItemPlace place) {
  RuleOutcome outcome;
  CheckResult& result = outcome.result;
  result.outcome = Outcome::kNotCompared;
  result.title = TrF("%s: %s", list_name, rule.text);
  const Located located = Locate(rule, list);
  if (!located.why.empty()) {
    result.details.push_back(TrF("not compared: %s", located.why));
    return outcome;
  }
  const std::vector<std::size_t> unaccounted = Unaccounted(rule, layout, list, located.sides);
  const ItemList& items = list.list();
  bool failed = false;
  for (std::size_t c = 0; c < items.columns.size(); ++c) {
    const std::string& column = items.columns[c].title;
    std::string why;
    long long target = 0, sum = 0;
    bool terms_zero = true;
    std::vector<std::pair<int, long long>> terms;
    for (const Side& side : located.sides) {
      const Figure& figure = list.FigureAt(side.item, c);
      if (!figure.why.empty()) {
        why += (why.empty() ? "" : ", ") + figure.why;
        continue;
      }
      if (side.sign == 0) {
        target = *figure.cents;
        continue;
      }
      terms_zero = terms_zero && figure.zero;
      sum += side.sign * *figure.cents;
      terms.push_back({side.sign, *figure.cents});
    }
    const auto carries = std::find_if(unaccounted.begin(), unaccounted.end(),
                                      [&](std::size_t i) { return !list.FigureAt(i, c).zero; });
    if (why.empty() && carries != unaccounted.end()) {
      const std::optional<std::string>& amount = items.items[*carries].amounts[c];
      why = TrF("%s carries %s, which the rule does not account for",
                ItemName(items.items[*carries]), amount.value_or(""));
    }
    if (why.empty() && terms_zero && target == 0) {
      why = Tr("its total and every line it adds are blank or zero");
    } else if (why.empty() && terms_zero && rule.optional) {
      why = Tr("an optional breakdown, every line of it blank or zero");
    }
    if (!why.empty()) {
      result.details.push_back(TrF("%s: not compared: %s", column, why));
      continue;
    }
    outcome.compared = true;
    if (target == sum) continue;
    failed = true;
    result.details.push_back(TrF("%s: %s %s, its lines give %s = %s, difference %s", column,
                                 RuleItemText(rule.target), CentsText(target), Terms(terms),
                                 CentsText(sum), CentsText(target - sum)));
  }
  if (failed) {
    result.outcome = Outcome::kFailed;
    std::string absent;
    for (const RuleItem* item : located.absent) {
      absent += (absent.empty() ? "" : ", ") + RuleItemText(*item);
    }
    if (!absent.empty()) {
      result.details.push_back(TrF("not in the statement, so counted as zero: %s", absent));
    }
    for (const Side& side : located.sides) {
      result.marked.push_back({place.statement, place.list, side.item});
    }
  } else if (outcome.compared) {
    result.outcome = Outcome::kPassed;
  }
  return outcome;
}

}  // namespace vok::tool
