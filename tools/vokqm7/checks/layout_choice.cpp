#include "checks/layout_choice.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace vok::tool {
namespace {

// How a layout meets a list.
struct Fit {
  bool conflict = false;    // a line of its rules printed with the other sign, or as a part
  std::size_t weak = 0;     // lines under a 加 or 减 above them that says the other sign
  bool any_total = false;   // one of its totals is there
  bool all_there = false;   // every item of its rules is there
  std::size_t named = 0;    // the list's lines it names (its parts too)
  std::size_t missing = 0;  // its items the list does not print
};

Fit FitOf(const Layout& layout, const PrintedList& list) {
  Fit fit;
  std::set<std::string> seen;
  std::set<std::size_t> named;
  auto meet = [&](const RuleItem& item, int sign) {
    const std::vector<std::size_t> found = list.Find(item);
    for (std::size_t i : found) {
      const bool other_sign = sign != 0 && list.Sign(i) == -sign;
      fit.conflict = fit.conflict || (item.line == 0 && list.Part(i)) ||
                     (other_sign && list.OwnSign(i));
      if (other_sign && !list.OwnSign(i)) ++fit.weak;
      named.insert(i);
    }
    if (seen.insert(RuleItemKey(item)).second && found.empty()) ++fit.missing;
    return !found.empty();
  };
  for (const Rule& rule : layout.rules) {
    fit.any_total = meet(rule.target, 0) || fit.any_total;
    for (const RuleTerm& term : rule.terms) meet(term.item, term.sign);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (layout.parts.count(list.Name(i)) > 0) named.insert(i);
  }
  fit.all_there = fit.missing == 0;
  fit.named = named.size();
  return fit;
}

// The layout's rules as they add up the printed lines: each rule whose
// total is there, with the terms that are there.
std::set<std::string> Arithmetic(const Layout& layout, const PrintedList& list) {
  std::set<std::string> rules;
  for (const Rule& rule : layout.rules) {
    if (list.Find(rule.target).empty()) continue;
    std::set<std::string> terms;
    for (const RuleTerm& term : rule.terms) {
      if (!list.Find(term.item).empty()) {
        terms.insert((term.sign < 0 ? "-" : "+") + RuleItemKey(term.item));
      }
    }
    std::string text = RuleItemKey(rule.target) + (rule.optional ? "?=" : "=");
    for (const std::string& term : terms) text += term;
    rules.insert(text);
  }
  return rules;
}

}  // namespace

LayoutChoice ChooseLayouts(const std::vector<Layout>& layouts, StatementKind kind,
                           const PrintedList& list) {
  LayoutChoice choice;
  std::vector<std::pair<Fit, const Layout*>> candidates;
  for (const Layout& layout : layouts) {
    if (layout.kind != kind) continue;
    const Fit fit = FitOf(layout, list);
    if (fit.conflict || !fit.any_total) continue;
    if (!layout.shipped) {
      if (fit.all_there) choice.layouts.push_back(&layout);
      continue;
    }
    candidates.push_back({fit, &layout});
  }
  const auto better = [](const Fit& a, const Fit& b) {
    return std::tie(a.named, b.weak, b.missing) > std::tie(b.named, a.weak, a.missing);
  };
  std::vector<const Layout*> best;
  const Fit* top = nullptr;
  for (const auto& [fit, layout] : candidates) {
    if (top == nullptr || better(fit, *top)) {
      top = &fit;
      best = {layout};
    } else if (!better(*top, fit)) {
      best.push_back(layout);
    }
  }
  if (best.empty()) return choice;
  const std::set<std::string> arithmetic = Arithmetic(*best.front(), list);
  const bool alike = std::all_of(best.begin() + 1, best.end(), [&](const Layout* other) {
    return Arithmetic(*other, list) == arithmetic;
  });
  if (alike) {
    choice.layouts.insert(choice.layouts.begin(), best.front());
  } else {
    choice.undecided = best;
  }
  return choice;
}

}  // namespace vok::tool
