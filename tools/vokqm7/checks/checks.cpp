#include "checks/checks.h"

#include <algorithm>
#include <map>
#include <optional>

#include "checks/amount.h"
#include "checks/item_name.h"
#include "checks/printed_list.h"
#include "checks/statement_rules.h"
#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

using Outcome = CheckResult::Outcome;

// The list's name in a finding: "资产负债表", "利润表 补充资料".
std::string ListName(const Statement& statement, const ItemList& list) {
  return StatementName(statement) + (list.heading.empty() ? "" : " " + list.heading);
}

std::vector<const StatementItem*> FindItems(const ItemList& list, bool (*is)(std::string_view)) {
  std::vector<const StatementItem*> found;
  for (const StatementItem& item : list.items) {
    if (is(item.name)) found.push_back(&item);
  }
  return found;
}

// "负债和净资产总计": the total of a balance sheet of another kind.
bool IsTotalOfNetAssets(std::string_view gbk_name) {
  const std::u16string name = MatchedItemName(platform::GbkToUtf16(gbk_name));
  return name.find(u"净资产") != std::u16string::npos && name.size() > 2 &&
         (name.substr(name.size() - 2) == u"总计" || name.substr(name.size() - 2) == u"合计") &&
         name.find(u"负债") != std::u16string::npos;
}

// The one item of a total, or nothing with the reason in `details`. `what`
// is an N_() text.
const StatementItem* OneTotal(const ItemList& list, bool (*is)(std::string_view),
                              const char* what, const char* usual_name,
                              std::vector<std::string>& details) {
  const std::vector<const StatementItem*> found = FindItems(list, is);
  if (found.size() == 1) return found.front();
  if (found.empty()) {
    details.push_back(
        TrF("no item is the total of %s (%s)", Tr(what), platform::Utf8ToGbk(usual_name)));
  } else {
    std::string items;
    for (const StatementItem* item : found) items += (items.empty() ? "" : ", ") + ItemName(*item);
    details.push_back(TrF("the total of %s is there %s times, which one counts is not known: %s",
                          Tr(what), std::to_string(found.size()), items));
  }
  return nullptr;
}

// Fails only where a total differs from the other in a column; where the
// totals are not found once each, or both are blank or zero in every
// column, the sheet is not checked.
CheckResult CheckBalance(const Statement& sheet) {
  const std::string label =
      Tr("balance sheet") + (sheet.number > 0 ? " #" + std::to_string(sheet.number) : "");
  CheckResult result{Outcome::kNotChecked,
                     TrF("%s: total assets equal total liabilities and owners' equity", label),
                     {},
                     {},
                     {}};
  const ItemList& list = sheet.lists.front();
  const StatementItem* assets =
      OneTotal(list, IsTotalAssets, N_("assets"), "资产总计", result.details);
  const StatementItem* claims =
      OneTotal(list, IsTotalLiabilitiesAndEquity, N_("liabilities and owners' equity"),
               "负债和所有者权益总计", result.details);
  for (const StatementItem* other : FindItems(list, IsTotalOfNetAssets)) {
    result.details.push_back(TrF("%s is the total of a balance sheet of another kind (%s), "
                                 "which these checks do not know",
                                 ItemName(*other), platform::Utf8ToGbk("民间非营利组织, 事业单位")));
  }
  if (assets == nullptr || claims == nullptr) return result;
  result.title = TrF("%s: %s equals %s", label, ItemName(*assets), ItemName(*claims));
  bool compared = false, balanced = true;
  for (std::size_t c = 0; c < list.columns.size(); ++c) {
    const std::string& column = list.columns[c].title;
    const Figure a = FigureOf(*assets, c);
    const Figure b = FigureOf(*claims, c);
    const std::string why = a.why + (a.why.empty() || b.why.empty() ? "" : ", ") + b.why;
    if (!why.empty()) {
      result.details.push_back(TrF("%s: not compared: %s", column, why));
      continue;
    }
    if (a.zero && b.zero) {
      result.details.push_back(TrF("%s: not compared: both totals are blank or zero", column));
      continue;
    }
    compared = true;
    const std::string& left = *assets->amounts[c];
    const std::string& right = *claims->amounts[c];
    if (*a.cents != *b.cents) {
      balanced = false;
      result.details.push_back(TrF("%s: %s %s, %s %s, difference %s", column, assets->name, left,
                                   claims->name, right, CentsText(*a.cents - *b.cents)));
    } else {
      result.details.push_back(TrF("%s: %s = %s", column, left, right));
    }
  }
  if (!balanced) {
    result.outcome = Outcome::kFailed;
  } else if (compared) {
    result.outcome = Outcome::kPassed;
  }
  return result;
}

CheckResult CheckLineNumbers(const FilingDocument& document) {
  CheckResult result{Outcome::kPassed, Tr("line numbers are unique within each list"), {}, {}, {}};
  for (const Statement& statement : document.statements) {
    for (const ItemList& list : statement.lists) {
      std::vector<std::string> order;  // line numbers as first met
      std::map<std::string, std::vector<std::string>> names;
      for (const StatementItem& item : list.items) {
        if (item.line.empty()) continue;
        std::vector<std::string>& users = names[item.line];
        if (users.empty()) order.push_back(item.line);
        users.push_back(item.name);
      }
      for (const std::string& line : order) {
        const std::vector<std::string>& users = names[line];
        if (users.size() < 2) continue;
        std::string who;
        for (const std::string& name : users) who += (who.empty() ? "" : ", ") + name;
        result.outcome = Outcome::kFailed;
        result.details.push_back(TrF("%s: line %s is used by %s items: %s",
                                     ListName(statement, list), line,
                                     std::to_string(users.size()), who));
      }
    }
  }
  return result;
}

CheckResult CheckAmounts(const FilingDocument& document) {
  CheckResult result{
      Outcome::kPassed, Tr("every amount is a number (a dash is an empty amount)"), {}, {}, {}};
  for (const Statement& statement : document.statements) {
    for (const ItemList& list : statement.lists) {
      for (const StatementItem& item : list.items) {
        for (std::size_t c = 0; c < list.columns.size(); ++c) {
          const std::optional<std::string>& amount = item.amounts[c];
          if (!amount || Amount::Parse(*amount)) continue;
          result.outcome = Outcome::kFailed;
          result.details.push_back(TrF("%s %s, %s: \"%s\" is not a number",
                                       ListName(statement, list), ItemName(item),
                                       list.columns[c].title, *amount));
        }
      }
    }
  }
  return result;
}

}  // namespace

bool IsTotalAssets(std::string_view gbk_name) {
  const std::u16string name = MatchedItemName(platform::GbkToUtf16(gbk_name));
  return name == u"资产总计" || name == u"资产合计";
}

bool IsTotalLiabilitiesAndEquity(std::string_view gbk_name) {
  const std::u16string name = MatchedItemName(platform::GbkToUtf16(gbk_name));
  return name == u"负债和所有者权益总计" || name == u"负债和所有者权益合计";
}

std::vector<CheckResult> CheckFilingDocument(const FilingDocument& document,
                                             const std::vector<Layout>& layouts) {
  std::vector<CheckResult> results;
  for (const Statement& statement : document.statements) {
    if (statement.kind == StatementKind::kBalanceSheet) results.push_back(CheckBalance(statement));
  }
  for (std::size_t s = 0; s < document.statements.size(); ++s) {
    CheckStatementArithmetic(document.statements[s], s, layouts, results);
  }
  results.push_back(CheckLineNumbers(document));
  results.push_back(CheckAmounts(document));
  AddRetainedEarningsNote(document, results);
  return results;
}

bool AnyCheckFailed(const std::vector<CheckResult>& results) {
  return std::any_of(results.begin(), results.end(),
                     [](const CheckResult& r) { return r.outcome == Outcome::kFailed; });
}

bool AnyNotChecked(const std::vector<CheckResult>& results) {
  return std::any_of(results.begin(), results.end(), [](const CheckResult& r) {
    return r.outcome == Outcome::kNotChecked || r.outcome == Outcome::kAllZero;
  });
}

std::string JudgingFormats(const std::vector<CheckResult>& results) {
  std::string formats;
  for (const CheckResult& result : results) {
    if (!result.format.empty()) formats += (formats.empty() ? "" : ", ") + result.format;
  }
  return formats;
}

std::string OutcomeWord(CheckResult::Outcome outcome) {
  switch (outcome) {
    case Outcome::kPassed: return Tr("ok");
    case Outcome::kFailed: return Tr("FAILED");
    case Outcome::kNotChecked: return Tr("not checked");
    case Outcome::kAllZero: return Tr("all zero");
    case Outcome::kNotCompared: return Tr("not compared");
    case Outcome::kNote: break;
  }
  return Tr("note");
}

}  // namespace vok::tool
