#include "checks/statement_rules.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "checks/amount.h"
#include "checks/item_name.h"
#include "checks/layout_choice.h"
#include "checks/printed_list.h"
#include "checks/rule_check.h"
#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

using Outcome = CheckResult::Outcome;

std::string ListName(const Statement& statement, const ItemList& list) {
  return StatementName(statement) + (list.heading.empty() ? "" : " " + list.heading);
}

// What the statement's amounts hold: a figure other than zero, only zeros
// (the library writes 0.00 for every blank cell), or nothing but empty
// amounts and dashes. An amount that is no number counts as a figure; its
// own check fails it.
enum class Held { kFigures, kZeros, kNothing };

Held AmountsHeld(const Statement& statement) {
  bool zeros = false;
  for (const ItemList& list : statement.lists) {
    for (const StatementItem& item : list.items) {
      for (const std::optional<std::string>& text : item.amounts) {
        if (!text) continue;
        const std::optional<Amount> amount = Amount::Parse(*text);
        if (!amount || (!amount->Empty() && amount->Cents() != 0)) return Held::kFigures;
        zeros = zeros || !amount->Empty();
      }
    }
  }
  return zeros ? Held::kZeros : Held::kNothing;
}

std::string LayoutNames(const std::vector<const Layout*>& layouts) {
  std::string names;
  for (const Layout* layout : layouts) names += (names.empty() ? "" : ", ") + layout->format;
  return names;
}

}  // namespace

void CheckStatementArithmetic(const Statement& statement, std::size_t index,
                              const std::vector<Layout>& layouts,
                              std::vector<CheckResult>& results) {
  const std::string name = StatementName(statement);
  const Held held = AmountsHeld(statement);
  if (held == Held::kZeros) {
    results.push_back(
        {Outcome::kAllZero, TrF("%s: every amount is zero: not checked", name),
         {Tr("every amount is zero: a period without business, or the wrong account, book, "
             "server or period")},
         {},
         {}});
    return;
  }
  if (held == Held::kNothing) {
    bool any_items = false;
    for (const ItemList& list : statement.lists) any_items = any_items || !list.items.empty();
    const bool income = statement.kind == StatementKind::kIncomeStatement;
    results.push_back({Outcome::kFailed,
                       income ? TrF("%s: the income statement holds no amounts", name)
                              : TrF("%s: the balance sheet holds no amounts", name),
                       {any_items ? Tr("every amount is empty or a dash") : Tr("it has no items")},
                       {},
                       {}});
    return;
  }
  // A balance sheet without its total of liabilities and owners' equity
  // (负债和净资产总计: 民间非营利组织, 事业单位) is of another kind; its balance
  // check says so, and no layout here is its own.
  if (statement.kind == StatementKind::kBalanceSheet &&
      std::none_of(statement.lists.front().items.begin(), statement.lists.front().items.end(),
                   [](const StatementItem& item) { return IsTotalLiabilitiesAndEquity(item.name); })) {
    return;
  }
  bool judged = false, compared = false;
  std::vector<const Layout*> undecided;
  std::string formats;
  const std::size_t first = results.size();
  const std::set<std::u16string> known = ItemNames(layouts, statement.kind);
  for (std::size_t l = 0; l < statement.lists.size(); ++l) {
    const PrintedList printed(statement.lists[l], statement.kind, known);
    const LayoutChoice choice = ChooseLayouts(layouts, statement.kind, printed);
    if (undecided.empty()) undecided = choice.undecided;
    if (choice.layouts.empty()) continue;
    judged = true;
    const std::string list_name = ListName(statement, statement.lists[l]);
    std::string format;
    for (const Layout* layout : choice.layouts) {
      format += (format.empty() ? "" : ", ") + layout->format;
    }
    formats += (formats.empty() ? "" : ", ") + format;
    results.push_back(
        {Outcome::kNote, TrF("%s: checked as %s", list_name, format), {}, {}, format});
    std::set<std::string> applied;  // rule texts, each rule once per list
    for (const Layout* layout : choice.layouts) {
      for (const Rule& rule : layout->rules) {
        if (!applied.insert(rule.text).second) continue;
        RuleOutcome outcome = CheckRule(rule, *layout, printed, list_name, {index, l, 0});
        compared = compared || outcome.compared;
        results.push_back(std::move(outcome.result));
      }
    }
  }
  if (judged && !compared) {
    // Nothing was checked, so no format judged it.
    for (std::size_t r = first; r < results.size(); ++r) results[r].format.clear();
    results.push_back(
        {Outcome::kNotChecked, TrF("%s: no rule could compare figures: not checked", name),
         {TrF("each rule of %s says above why it was not compared", formats)},
         {},
         {}});
  } else if (!judged && !undecided.empty()) {
    results.push_back(
        {Outcome::kNotChecked,
         TrF("%s: layout not recognised: not checked (see --rules)", name),
         {TrF("its lines fit %s alike, and they add up differently", LayoutNames(undecided))},
         {},
         {}});
  } else if (!judged) {
    const std::string count = std::to_string(std::count_if(
        layouts.begin(), layouts.end(), [&](const Layout& l) { return l.kind == statement.kind; }));
    results.push_back(
        {Outcome::kNotChecked,
         TrF("%s: layout not recognised: not checked (see --rules)", name),
         {statement.kind == StatementKind::kIncomeStatement
              ? TrF("none of the %s layouts of the income statement fits its lines", count)
              : TrF("none of the %s layouts of the balance sheet fits its lines", count)},
         {},
         {}});
  }
}

void AddRetainedEarningsNote(const FilingDocument& document, std::vector<CheckResult>& results) {
  const Statement* income = nullptr;
  const Statement* balance = nullptr;
  for (const Statement& statement : document.statements) {
    const Statement*& slot = statement.kind == StatementKind::kIncomeStatement ? income : balance;
    if (slot != nullptr) return;  // which two belong together is not known
    slot = &statement;
  }
  if (income == nullptr || balance == nullptr) return;
  // The one line of the name among the statement's lists, with the figures
  // of the columns whose elements are given.
  struct Found {
    const StatementItem* item = nullptr;
    std::vector<long long> cents;
  };
  auto find = [](const Statement& statement, const char16_t* name,
                 std::initializer_list<const char*> elements) -> std::optional<Found> {
    std::optional<Found> found;
    for (const ItemList& list : statement.lists) {
      for (const StatementItem& item : list.items) {
        if (MatchedItemName(platform::GbkToUtf16(item.name)) != name) continue;
        if (found) return std::nullopt;  // twice: which one is not known
        Found f{&item, {}};
        for (const char* element : elements) {
          const auto column =
              std::find_if(list.columns.begin(), list.columns.end(),
                           [&](const AmountColumn& c) { return c.element == element; });
          if (column == list.columns.end()) return std::nullopt;
          const Figure figure =
              FigureOf(item, static_cast<std::size_t>(column - list.columns.begin()));
          if (!figure.why.empty()) return std::nullopt;
          f.cents.push_back(*figure.cents);
        }
        found = f;
      }
    }
    return found;
  };
  const std::optional<Found> retained = find(*balance, u"未分配利润", {"QMS", "NCS"});
  const std::optional<Found> profit = find(*income, u"净利润", {"BNLJ"});
  if (!retained || !profit) return;
  const long long change = retained->cents[0] - retained->cents[1];
  const long long net = profit->cents[0];
  results.push_back(
      {Outcome::kNote,
       Tr("retained earnings beside the year's net profit (distributions and reserves make them "
          "differ rightly)"),
       {TrF("%s: %s", StatementName(*balance) + " " + ItemName(*retained->item),
            platform::Utf8ToGbk("期末数 ") + CentsText(retained->cents[0]) + " - " +
                platform::Utf8ToGbk("年初数 ") + CentsText(retained->cents[1]) + " = " +
                CentsText(change)),
        TrF("%s: %s", StatementName(*income) + " " + ItemName(*profit->item),
            platform::Utf8ToGbk("本年累计 ") + CentsText(net)),
        TrF("difference %s", CentsText(change - net))},
       {},
       {}});
}

}  // namespace vok::tool
