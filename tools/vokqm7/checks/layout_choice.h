// Which layouts decide for a list of a statement: those that fit it (every
// item their rules name is there, none printed with the other sign), a
// strict subset giving way to the layout that holds it, and of the shipped
// ones the one that names the most of the list's lines.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "show/filing_document.h"
#include "checks/rule_file.h"

namespace vok::tool {

// One list of a statement with its items' names as rules match them, and
// the sign each line is printed with where its print shows one: in an
// income statement "减：营业成本" starts lines that are subtracted, up to
// the next 加 or 减 or the next part ("二、营业利润"); a line printed
// "（损失以“－”号填列）" is added. In a balance sheet only the line's own
// prefix counts ("减：库存股").
class MatchedList {
 public:
  MatchedList(const ItemList& list, StatementKind kind, const std::set<std::u16string>& known);

  // The items the rule item names, in list order.
  [[nodiscard]] std::vector<std::size_t> Find(const RuleItem& wanted) const;

  [[nodiscard]] bool Has(const RuleItem& wanted) const { return !Find(wanted).empty(); }

  // Whether no line of the term is printed with the other sign.
  [[nodiscard]] bool SignAgrees(const RuleTerm& term) const;

  // How many of the list's lines the layout's rules name.
  [[nodiscard]] std::size_t Named(const std::set<std::u16string>& names) const;

  [[nodiscard]] const ItemList& list() const { return list_; }

 private:
  const ItemList& list_;
  std::vector<std::u16string> names_;
  std::vector<int> signs_;
};

struct Fitting {
  std::vector<const Layout*> layouts;
  std::vector<const Layout*> undecided;  // shipped ones equally specific: which is not known
};

// The layouts that decide for the list: no layout whose items are a strict
// subset of another fitting one's, and of the shipped ones the one that
// names the most of the list's lines. The caller's own layouts all apply.
Fitting FittingLayouts(const std::vector<Layout>& layouts, StatementKind kind,
                       const MatchedList& list);

}  // namespace vok::tool
