// What people check before a filing goes out, as the receiving tax system
// checks it: that each balance sheet balances, that every statement holds
// amounts and adds up under the rules of its layout, that no line number is
// used twice in a list, and that every amount is a number. A check passes
// only where it compared something: a balance sheet without its totals, with
// a total twice or with a total's amount empty fails, and a statement whose
// layout no rules fit is not checked, which is no pass.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "show/filing_document.h"
#include "checks/rule_file.h"

namespace vok::tool {

// An item of the document: statements[statement].lists[list].items[item].
struct ItemPlace {
  std::size_t statement, list, item;
  bool operator==(const ItemPlace& o) const {
    return statement == o.statement && list == o.list && item == o.item;
  }
};

struct CheckResult {
  // kNotChecked: nothing failed, but nothing could be compared either.
  // kAllZero: a statement whose every amount is zero, not checked: a
  // blank export looks just like it.
  // kNote: figures shown beside each other, which may differ rightly, or a
  // rule that found nothing to compare in any column.
  enum class Outcome { kPassed, kFailed, kNotChecked, kAllZero, kNote };
  Outcome outcome;
  std::string title;                 // what was checked, GBK, in the current language
  std::vector<std::string> details;  // the items and figures behind the outcome, likewise
  std::vector<ItemPlace> marked;     // the lines a failed rule names
};

// The checks of the document, in the order they are shown: a balance check
// for each balance sheet (none for a document without one), each
// statement's amounts and arithmetic under the layouts (the shipped ones and
// the caller's), the line numbers and the amounts of every list, then the
// notes.
std::vector<CheckResult> CheckFilingDocument(const FilingDocument& document,
                                             const std::vector<Layout>& layouts = ShippedLayouts());

bool AnyCheckFailed(const std::vector<CheckResult>& results);
// Whether a statement could not be checked, its amounts all zero or its
// layout not known (and none failed is not told).
bool AnyNotChecked(const std::vector<CheckResult>& results);

// "ok", "FAILED", "not checked", "all zero" or "note", in the current
// language.
std::string OutcomeWord(CheckResult::Outcome outcome);

// Whether an item name is the balance sheet's total of assets ("资产总计") or
// of liabilities and owners' equity ("负债和所有者权益总计" and the variants the
// templates print: "负债及所有者权益总计", "负债和股东权益总计", ...), the
// name read as the rules read it (MatchedItemName).
bool IsTotalAssets(std::string_view gbk_name);
bool IsTotalLiabilitiesAndEquity(std::string_view gbk_name);

}  // namespace vok::tool
