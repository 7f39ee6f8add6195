#include "checks/layout_choice.h"

#include <algorithm>
#include <optional>

#include "platform/codepage.h"
#include "checks/item_name.h"

namespace vok::tool {
namespace {

// A line number as a number: "08" is line 8; nothing for other texts.
std::optional<long> LineNumber(const std::string& text) {
  if (text.empty() || text.size() > 6 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::stol(text);
}

std::set<std::string> ItemsOf(const Layout& layout) {
  std::set<std::string> items;
  for (const Rule& rule : layout.rules) {
    items.insert(RuleItemKey(rule.target));
    for (const RuleTerm& term : rule.terms) items.insert(RuleItemKey(term.item));
  }
  return items;
}

bool Fits(const Layout& layout, StatementKind kind, const MatchedList& list) {
  if (layout.kind != kind) return false;
  return std::all_of(layout.rules.begin(), layout.rules.end(), [&](const Rule& rule) {
    return list.Has(rule.target) &&
           std::all_of(rule.terms.begin(), rule.terms.end(), [&](const RuleTerm& term) {
             return list.Has(term.item) && list.SignAgrees(term);
           });
  });
}

}  // namespace

MatchedList::MatchedList(const ItemList& list, StatementKind kind,
                         const std::set<std::u16string>& known)
    : list_(list) {
  int block = 0;
  for (const StatementItem& item : list.items) {
    const PrintedName printed = ReadPrintedName(platform::GbkToUtf16(item.name), known);
    int sign = 0;
    if (printed.prefix_sign != 0) {
      sign = printed.prefix_sign;
      if (kind == StatementKind::kIncomeStatement) block = sign;
    } else if (printed.numbered) {
      block = 0;
    } else if (!printed.part) {
      sign = block;
    }
    if (printed.loss_marked && !printed.part) sign = 1;
    names_.push_back(printed.name);
    signs_.push_back(sign);
  }
}

std::vector<std::size_t> MatchedList::Find(const RuleItem& wanted) const {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < list_.items.size(); ++i) {
    const bool match = wanted.line > 0 ? LineNumber(list_.items[i].line) == wanted.line
                                       : names_[i] == wanted.name;
    if (match) found.push_back(i);
  }
  return found;
}

bool MatchedList::SignAgrees(const RuleTerm& term) const {
  const std::vector<std::size_t> found = Find(term.item);
  return std::none_of(found.begin(), found.end(),
                      [&](std::size_t i) { return signs_[i] == -term.sign; });
}

std::size_t MatchedList::Named(const std::set<std::u16string>& names) const {
  return static_cast<std::size_t>(std::count_if(
      names_.begin(), names_.end(), [&](const std::u16string& n) { return names.count(n) > 0; }));
}

Fitting FittingLayouts(const std::vector<Layout>& layouts, StatementKind kind,
                       const MatchedList& list) {
  std::vector<const Layout*> fitting;
  for (const Layout& layout : layouts) {
    if (Fits(layout, kind, list)) fitting.push_back(&layout);
  }
  Fitting kept;
  std::vector<std::pair<std::size_t, const Layout*>> shipped;  // lines named, layout
  for (const Layout* layout : fitting) {
    const std::set<std::string> items = ItemsOf(*layout);
    const bool covered = std::any_of(fitting.begin(), fitting.end(), [&](const Layout* other) {
      const std::set<std::string> more = ItemsOf(*other);
      return more.size() > items.size() &&
             std::includes(more.begin(), more.end(), items.begin(), items.end());
    });
    if (covered) continue;
    if (layout->shipped) {
      shipped.push_back({list.Named(ItemNames(*layout)), layout});
    } else {
      kept.layouts.push_back(layout);
    }
  }
  std::size_t most = 0;
  for (const auto& [named, layout] : shipped) most = std::max(most, named);
  std::vector<const Layout*> best;
  for (const auto& [named, layout] : shipped) {
    if (named == most) best.push_back(layout);
  }
  if (best.size() == 1) {
    kept.layouts.insert(kept.layouts.begin(), best.front());
  } else {
    kept.undecided = best;
  }
  return kept;
}

}  // namespace vok::tool
