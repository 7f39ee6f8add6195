// What people check before a filing goes out, as the receiving tax system
// checks it: that each balance sheet balances, that every statement holds
// amounts and adds up under the rules of its layout, that no line number is
// used twice in a list, and that every amount is a number. A check fails
// only where it is sure the rule belongs to the statement, and passes only
// where it compared something: a balance sheet whose totals are not found
// once each (one of another kind: 负债和净资产总计) and a statement whose
// layout no rules fit are not checked, which is no pass.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "checks/rule_file.h"
#include "show/filing_document.h"

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
  // kNote: figures shown beside each other, which may differ rightly, or
  // the format a statement's list was checked as (`format`).
  // kNotCompared: a rule not sure to belong to the statement, or whose
  // figures are all blank or zero: neither a pass nor a failure.
  enum class Outcome { kPassed, kFailed, kNotChecked, kAllZero, kNote, kNotCompared };
  Outcome outcome;
  std::string title;                 // what was checked, GBK, in the current language
  std::vector<std::string> details;  // the items and figures behind the outcome, likewise
  std::vector<ItemPlace> marked;     // the lines a failed rule names
  std::string format;                // GBK: the formats that judged a list ("财会〔2019〕6号 附件1 利润表")
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

// "ok", "FAILED", "not checked", "all zero", "note" or "not compared", in
// the current language.
std::string OutcomeWord(CheckResult::Outcome outcome);

// Whether an item name is the balance sheet's total of assets ("资产总计") or
// of liabilities and owners' equity ("负债和所有者权益总计" and the variants the
// templates print: "负债及所有者权益总计", "负债和股东权益总计", ...), the
// name read as the rules read it (MatchedItemName).
bool IsTotalAssets(std::string_view gbk_name);
bool IsTotalLiabilitiesAndEquity(std::string_view gbk_name);

// The formats that judged the document's statements, in document order,
// joined by ", "; "" when none did.
std::string JudgingFormats(const std::vector<CheckResult>& results);

}  // namespace vok::tool
