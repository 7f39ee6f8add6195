// A list of a statement as its template prints it: each line's name as the
// rules match it, the sign its print gives it, whether it is printed as a
// part of the line above, its place in 行次 order, and its figures.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "checks/rule_text.h"
#include "show/filing_document.h"

namespace vok::tool {

// One line's amount in one column.
struct Figure {
  std::optional<long long> cents;  // nothing when it cannot be compared (`why`)
  bool zero = true;                // blank, a dash or zero
  std::string why;                 // GBK, in the current language
};

Figure FigureOf(const StatementItem& item, std::size_t column);

// "三、营业利润 (line 9)", GBK.
std::string ItemName(const StatementItem& item);

// "-1250.40" for -125040.
std::string CentsText(long long cents);

// In an income statement "减：营业成本" starts lines that are subtracted, up
// to the next 加 or 减 or the next numbered line ("二、营业利润", "（一）…");
// a line printed "（损失以“－”号填列）" is added. In a balance sheet only the
// line's own prefix counts ("减：库存股"). A line printed "其中：…" is a part
// of the line above; the lines after it are parts only where a layout lists
// them ("利息收入" after "其中：利息费用"), as an office's own line may stand
// there too.
class PrintedList {
 public:
  // `known`: every name the rules of the statement's kind name, for a bare
  // 加 or 减 before one ("减 营业成本").
  PrintedList(const ItemList& list, StatementKind kind, const std::set<std::u16string>& known);

  [[nodiscard]] std::size_t size() const { return names_.size(); }
  [[nodiscard]] const ItemList& list() const { return list_; }
  [[nodiscard]] const std::u16string& Name(std::size_t i) const { return names_[i]; }
  // +1 or -1 as the print says, 0 where it does not say. Own: the line's
  // own prefix or note says it, rather than a 加 or 减 above it, which a
  // template that hides zero lines may have hidden.
  [[nodiscard]] int Sign(std::size_t i) const { return signs_[i]; }
  [[nodiscard]] bool OwnSign(std::size_t i) const { return own_signs_[i]; }
  [[nodiscard]] bool Part(std::size_t i) const { return parts_[i]; }
  // Its rank in 行次 order (document order where a line number is no number),
  // and the line at a rank.
  [[nodiscard]] std::size_t Position(std::size_t i) const { return positions_[i]; }
  [[nodiscard]] std::size_t At(std::size_t position) const { return order_[position]; }
  // Its numbering without the number ("一、" for "五、"), "" for none.
  [[nodiscard]] const std::u16string& Numbering(std::size_t i) const { return numberings_[i]; }
  [[nodiscard]] const Figure& FigureAt(std::size_t i, std::size_t column) const {
    return figures_[i][column];
  }

  // The lines the rule item names, in list order.
  [[nodiscard]] std::vector<std::size_t> Find(const RuleItem& wanted) const;

 private:
  const ItemList& list_;
  std::vector<std::u16string> names_;
  std::map<std::u16string, std::vector<std::size_t>> by_name_;
  std::vector<int> signs_;
  std::vector<bool> own_signs_;
  std::vector<bool> parts_;
  std::vector<std::size_t> positions_, order_;
  std::vector<std::u16string> numberings_;
  std::vector<std::vector<Figure>> figures_;
};

}  // namespace vok::tool
