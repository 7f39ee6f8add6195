#include "checks/checks.h"

#include <algorithm>
#include <map>
#include <optional>

#include "language/language.h"
#include "platform/codepage.h"
#include "checks/amount.h"
#include "checks/item_name.h"
#include "checks/statement_rules.h"

namespace vok::tool {
namespace {

using Outcome = CheckResult::Outcome;

// The list's name in a finding: "资产负债表", "损益表 补充资料".
std::string ListName(const Statement& statement, const ItemList& list) {
  return StatementName(statement) + (list.heading.empty() ? "" : " " + list.heading);
}

std::string ItemName(const StatementItem& item) {
  return TrF("%s (line %s)", item.name, item.line);
}

std::vector<const StatementItem*> FindItems(const ItemList& list, bool (*is)(std::string_view)) {
  std::vector<const StatementItem*> found;
  for (const StatementItem& item : list.items) {
    if (is(item.name)) found.push_back(&item);
  }
  return found;
}

// What keeps one total's amount from being compared, or "" when nothing
// does: an empty amount is no zero here, since a total left empty means the
// figures are not there.
std::string WhyNotCompared(const StatementItem& total, std::size_t column) {
  const std::optional<std::string>& text = total.amounts[column];
  if (!text) return TrF("%s has no amount", ItemName(total));
  const std::optional<Amount> amount = Amount::Parse(*text);
  if (!amount) return TrF("%s \"%s\" is not a number", ItemName(total), *text);
  if (amount->Empty()) return TrF("%s is empty", ItemName(total));
  return "";
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

CheckResult CheckBalance(const Statement& sheet) {
  const std::string label =
      Tr("balance sheet") + (sheet.number > 0 ? " #" + std::to_string(sheet.number) : "");
  CheckResult result{Outcome::kFailed,
                     TrF("%s: total assets equal total liabilities and owners' equity", label),
                     {},
                     {}};
  const ItemList& list = sheet.lists.front();
  const StatementItem* assets =
      OneTotal(list, IsTotalAssets, N_("assets"), "资产总计", result.details);
  const StatementItem* claims =
      OneTotal(list, IsTotalLiabilitiesAndEquity, N_("liabilities and owners' equity"),
               "负债和所有者权益总计", result.details);
  if (assets == nullptr || claims == nullptr) return result;
  result.title = TrF("%s: %s equals %s", label, ItemName(*assets), ItemName(*claims));
  if (list.columns.empty()) {
    result.details.push_back(Tr("the list has no amount column to compare"));
    return result;
  }
  bool balanced = true;
  for (std::size_t c = 0; c < list.columns.size(); ++c) {
    const std::string& column = list.columns[c].title;
    std::string why = WhyNotCompared(*assets, c);
    const std::string why_claims = WhyNotCompared(*claims, c);
    if (!why_claims.empty()) why += (why.empty() ? "" : ", ") + why_claims;
    if (!why.empty()) {
      balanced = false;
      result.details.push_back(TrF("%s: not compared: %s", column, why));
      continue;
    }
    const std::string& left = *assets->amounts[c];
    const std::string& right = *claims->amounts[c];
    const Amount a = *Amount::Parse(left);
    const Amount b = *Amount::Parse(right);
    if (a != b) {
      balanced = false;
      result.details.push_back(TrF("%s: %s %s, %s %s, difference %s", column, assets->name, left,
                                   claims->name, right, (a - b).Text()));
    } else {
      result.details.push_back(TrF("%s: %s = %s", column, left, right));
    }
  }
  if (balanced) result.outcome = Outcome::kPassed;
  return result;
}

CheckResult CheckLineNumbers(const FilingDocument& document) {
  CheckResult result{Outcome::kPassed, Tr("line numbers are unique within each list"), {}, {}};
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
      Outcome::kPassed, Tr("every amount is a number (a dash is an empty amount)"), {}, {}};
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

std::string OutcomeWord(CheckResult::Outcome outcome) {
  switch (outcome) {
    case Outcome::kPassed: return Tr("ok");
    case Outcome::kFailed: return Tr("FAILED");
    case Outcome::kNotChecked: return Tr("not checked");
    case Outcome::kAllZero: return Tr("all zero");
    case Outcome::kNote: break;
  }
  return Tr("note");
}

}  // namespace vok::tool
