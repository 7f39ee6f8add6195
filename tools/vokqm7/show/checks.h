// What people check before a filing goes out: that each balance sheet
// balances, that no line number is used twice in a list, and that every
// amount is a number. A check passes only where it compared something: a
// balance sheet without its totals, with a total twice or with a total's
// amount empty fails.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "show/filing_document.h"

namespace vok::tool {

struct CheckResult {
  enum class Outcome { kPassed, kFailed };
  Outcome outcome;
  std::string title;                 // what was checked, GBK
  std::vector<std::string> details;  // the items and figures behind the outcome, GBK
};

// The checks of the document, in the order they are shown: a balance check
// for each balance sheet (none for a document without one), then the line
// numbers and the amounts of every list.
std::vector<CheckResult> CheckFilingDocument(const FilingDocument& document);

bool AnyCheckFailed(const std::vector<CheckResult>& results);

// "ok" or "FAILED".
const char* OutcomeWord(CheckResult::Outcome outcome);

// Whether an item name is the balance sheet's total of assets ("资产总计") or
// of liabilities and owners' equity ("负债和所有者权益总计" and the variants the
// templates print: "负债及所有者权益总计", "负债和所有者权益（或股东权益）总计",
// ...). Blanks are ignored and full-width brackets count as ASCII ones.
bool IsTotalAssets(std::string_view gbk_name);
bool IsTotalLiabilitiesAndEquity(std::string_view gbk_name);

}  // namespace vok::tool
