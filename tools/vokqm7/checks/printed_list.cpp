#include "checks/printed_list.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "checks/amount.h"
#include "checks/item_name.h"
#include "language/language.h"
#include "platform/codepage.h"

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

}  // namespace

Figure FigureOf(const StatementItem& item, std::size_t column) {
  Figure figure;
  const std::optional<std::string>& text = item.amounts[column];
  if (!text) {
    figure.why = TrF("%s has no amount", ItemName(item));
    return figure;
  }
  const std::optional<Amount> amount = Amount::Parse(*text);
  if (!amount) {
    figure.why = TrF("%s \"%s\" is not a number", ItemName(item), *text);
    figure.zero = false;
    return figure;
  }
  figure.cents = amount->Cents();
  if (!figure.cents) {
    figure.why = TrF("%s %s is no whole number of cents", ItemName(item), *text);
    figure.zero = false;
    return figure;
  }
  figure.zero = *figure.cents == 0;
  return figure;
}

std::string ItemName(const StatementItem& item) {
  return TrF("%s (line %s)", item.name, item.line);
}

std::string CentsText(long long cents) {
  const unsigned long long magnitude = cents < 0 ? 0ULL - static_cast<unsigned long long>(cents)
                                                 : static_cast<unsigned long long>(cents);
  char text[32];
  std::snprintf(text, sizeof text, "%s%llu.%02llu", cents < 0 ? "-" : "", magnitude / 100,
                magnitude % 100);
  return text;
}

PrintedList::PrintedList(const ItemList& list, StatementKind kind,
                         const std::set<std::u16string>& known)
    : list_(list) {
  int block = 0;
  std::vector<std::optional<long>> numbers;
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
    by_name_[printed.name].push_back(names_.size());
    names_.push_back(printed.name);
    numberings_.push_back(printed.numbering);
    signs_.push_back(printed.part ? 0 : sign);
    own_signs_.push_back(!printed.part && (printed.prefix_sign != 0 || printed.loss_marked));
    parts_.push_back(printed.part);
    numbers.push_back(LineNumber(item.line));
    std::vector<Figure>& figures = figures_.emplace_back();
    for (std::size_t c = 0; c < list.columns.size(); ++c) figures.push_back(FigureOf(item, c));
  }
  std::vector<std::size_t> order(names_.size());
  std::iota(order.begin(), order.end(), 0);
  if (std::all_of(numbers.begin(), numbers.end(), [](const auto& n) { return n.has_value(); })) {
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return *numbers[a] < *numbers[b]; });
  }
  positions_.resize(order.size());
  for (std::size_t rank = 0; rank < order.size(); ++rank) positions_[order[rank]] = rank;
  order_ = std::move(order);
}

std::vector<std::size_t> PrintedList::Find(const RuleItem& wanted) const {
  if (wanted.line == 0) {
    const auto found = by_name_.find(wanted.name);
    return found == by_name_.end() ? std::vector<std::size_t>{} : found->second;
  }
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (LineNumber(list_.items[i].line) == wanted.line) found.push_back(i);
  }
  return found;
}

}  // namespace vok::tool
