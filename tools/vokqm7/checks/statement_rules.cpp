#include "checks/statement_rules.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "language/language.h"
#include "platform/codepage.h"
#include "checks/amount.h"
#include "checks/item_name.h"
#include "checks/layout_choice.h"

namespace vok::tool {
namespace {

using Outcome = CheckResult::Outcome;

std::string CentsText(long long cents) {
  const unsigned long long magnitude = cents < 0 ? 0ULL - static_cast<unsigned long long>(cents)
                                                 : static_cast<unsigned long long>(cents);
  char text[32];
  std::snprintf(text, sizeof text, "%s%llu.%02llu", cents < 0 ? "-" : "", magnitude / 100,
                magnitude % 100);
  return text;
}

std::string ListName(const Statement& statement, const ItemList& list) {
  return StatementName(statement) + (list.heading.empty() ? "" : " " + list.heading);
}

std::string ItemName(const StatementItem& item) {
  return TrF("%s (line %s)", item.name, item.line);
}

// What one side of a rule reads in one column: the cents, or why not.
struct Figure {
  std::optional<long long> cents;
  bool empty = true;  // an empty amount or a dash, which counts as zero
  std::string why;    // what keeps it from being compared
};

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
    return figure;
  }
  figure.cents = amount->Cents();
  figure.empty = amount->Empty();
  if (!figure.cents) figure.why = TrF("%s %s is no whole number of cents", ItemName(item), *text);
  return figure;
}

struct RuleOutcome {
  bool compared = false;  // some figure of the rule was there in some column
  CheckResult result;
};

// One rule on one list, every column of it.
RuleOutcome Evaluate(const Rule& rule, const Statement& statement, std::size_t statement_index,
                     std::size_t list_index, const MatchedList& matched) {
  RuleOutcome outcome;
  CheckResult& result = outcome.result;
  result.outcome = Outcome::kPassed;
  result.title = TrF("%s: %s", ListName(statement, matched.list()), rule.text);
  const ItemList& list = matched.list();
  // The one item of each side, or the rule fails for its names.
  std::vector<std::pair<int, std::size_t>> sides;  // sign (0 for the target), item
  std::vector<std::pair<int, const RuleItem*>> wanted{{0, &rule.target}};
  for (const RuleTerm& term : rule.terms) wanted.push_back({term.sign, &term.item});
  for (const auto& [sign, item] : wanted) {
    const std::vector<std::size_t> found = matched.Find(*item);
    for (std::size_t i : found) result.marked.push_back({statement_index, list_index, i});
    if (found.size() == 1) {
      sides.push_back({sign, found.front()});
      continue;
    }
    std::string lines;
    for (std::size_t i : found) lines += (lines.empty() ? "" : ", ") + list.items[i].line;
    result.outcome = Outcome::kFailed;
    result.details.push_back(TrF("%s lines are %s (lines %s), which one counts is not known: "
                                 "name it by its line, #N, in a rules file (see --rules)",
                                 std::to_string(found.size()), RuleItemText(*item), lines));
  }
  if (result.outcome == Outcome::kFailed) return outcome;
  if (list.columns.empty()) {
    result.outcome = Outcome::kFailed;
    result.details.push_back(Tr("the list has no amount column to compare"));
    return outcome;
  }
  std::size_t compared_columns = 0;
  for (std::size_t c = 0; c < list.columns.size(); ++c) {
    const std::string& column = list.columns[c].title;
    long long target = 0, sum = 0;
    std::string why, terms;
    bool any_figure = false, any_term = false;
    for (const auto& [sign, i] : sides) {
      const Figure figure = FigureOf(list.items[i], c);
      if (!figure.why.empty()) {
        why += (why.empty() ? "" : ", ") + figure.why;
        continue;
      }
      any_figure = any_figure || !figure.empty;
      if (sign == 0) {
        target = *figure.cents;
        continue;
      }
      any_term = any_term || *figure.cents != 0;
      sum += sign * *figure.cents;
      if (!terms.empty() || sign < 0) terms += sign < 0 ? (terms.empty() ? "-" : " - ") : " + ";
      terms += CentsText(*figure.cents);
    }
    if (!why.empty()) {
      result.outcome = Outcome::kFailed;
      result.details.push_back(TrF("%s: not compared: %s", column, why));
      continue;
    }
    // A template that leaves every line of a sum blank (the library
    // writes 0.00 for a blank cell) does not state the sum there.
    if (!any_term) {
      result.details.push_back(
          TrF("%s: not compared: every line it adds is blank or zero", column));
      continue;
    }
    outcome.compared = outcome.compared || any_figure;
    ++compared_columns;
    if (target == sum) continue;
    result.outcome = Outcome::kFailed;
    result.details.push_back(TrF("%s: %s %s, its lines give %s = %s, difference %s", column,
                                 RuleItemText(rule.target), CentsText(target), terms,
                                 CentsText(sum), CentsText(target - sum)));
  }
  if (result.outcome == Outcome::kPassed) {
    result.marked.clear();
    if (compared_columns == 0) result.outcome = Outcome::kNote;
  }
  return outcome;
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
  for (const Layout* layout : layouts) names += (names.empty() ? "" : ", ") + layout->name;
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
                       {}});
    return;
  }
  bool fitted = false, compared = false;
  std::vector<const Layout*> undecided;
  std::set<std::string> applied;  // rule texts, each rule once per list
  const std::set<std::u16string> known = ItemNames(layouts, statement.kind);
  for (std::size_t l = 0; l < statement.lists.size(); ++l) {
    const MatchedList matched(statement.lists[l], statement.kind, known);
    applied.clear();
    const Fitting fitting = FittingLayouts(layouts, statement.kind, matched);
    if (undecided.empty()) undecided = fitting.undecided;
    for (const Layout* layout : fitting.layouts) {
      fitted = true;
      for (const Rule& rule : layout->rules) {
        if (!applied.insert(rule.text).second) continue;
        RuleOutcome outcome = Evaluate(rule, statement, index, l, matched);
        compared = compared || outcome.compared;
        results.push_back(std::move(outcome.result));
      }
    }
  }
  if (!fitted && !undecided.empty()) {
    results.push_back(
        {Outcome::kNotChecked,
         TrF("%s: layout not recognised: not checked (see --rules)", name),
         {TrF("its lines fit %s alike, and they add up differently", LayoutNames(undecided))},
         {}});
  } else if (!fitted) {
    const std::string count = std::to_string(std::count_if(
        layouts.begin(), layouts.end(), [&](const Layout& l) { return l.kind == statement.kind; }));
    results.push_back(
        {Outcome::kNotChecked,
         TrF("%s: layout not recognised: not checked (see --rules)", name),
         {statement.kind == StatementKind::kIncomeStatement
              ? TrF("none of the %s layouts of the income statement has each of its lines here",
                    count)
              : TrF("none of the %s layouts of the balance sheet has each of its lines here",
                    count)},
         {}});
  } else if (!compared) {
    results.push_back({Outcome::kNotChecked,
                       TrF("%s: no rule found figures to compare: not checked", name),
                       {Tr("every amount the rules name is empty or a dash")},
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
       {}});
}

}  // namespace vok::tool
