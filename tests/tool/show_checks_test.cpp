// show's checks: a balance sheet that does not balance or whose totals
// cannot be compared, line numbers used twice, amounts that are not
// numbers; each finding names items and figures. Two balance sheets in one
// document are in tests/tool/show-helpers.sh.
#include <gtest/gtest.h>

#include "checks/checks.h"
#include "checks/rule_file.h"
#include "checks/statement_rules.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;
using Outcome = CheckResult::Outcome;

StatementItem Item(const char* line, const char* name, std::optional<std::string> first,
                   std::optional<std::string> second) {
  return StatementItem{line, Gbk(name), {std::move(first), std::move(second)}};
}

Statement BalanceSheet(std::vector<StatementItem> items) {
  ItemList list{"", {{"NCS", Gbk("年初数")}, {"QMS", Gbk("期末数")}}, std::move(items)};
  return Statement{StatementKind::kBalanceSheet, Gbk("资产负债表"), "SB_ZCFZB", 0, {}, {list}};
}

Statement IncomeStatement(std::vector<StatementItem> main, std::vector<StatementItem> extra) {
  ItemList detail{"", {{"BYS", Gbk("本月数")}, {"BNLJ", Gbk("本年累计")}}, std::move(main)};
  ItemList supplementary{
      Gbk("补充资料"), {{"BNLJ", Gbk("本年累计")}, {"SNS", Gbk("上年数")}}, std::move(extra)};
  return Statement{
      StatementKind::kIncomeStatement, Gbk("损益表"), "SB_SYB", 0, {}, {detail, supplementary}};
}

std::vector<CheckResult> Check(std::vector<Statement> statements) {
  return CheckFilingDocument(FilingDocument{std::move(statements)});
}

// The one result whose title starts with `start` (ASCII), or a failure.
const CheckResult& Titled(const std::vector<CheckResult>& results, const std::string& start) {
  static const CheckResult none{Outcome::kFailed, "no such check", {}, {}};
  for (const CheckResult& result : results) {
    if (result.title.rfind(start, 0) == 0) return result;
  }
  ADD_FAILURE() << "no check " << start;
  return none;
}

std::string Details(const CheckResult& result) {
  std::string text;
  for (const std::string& detail : result.details) text += detail + "\n";
  return text;
}

TEST(ShowChecks, BalancedSheetPassesAndShowsTheFigures) {
  const std::vector<CheckResult> results = Check({BalanceSheet(
      {Item("1", "货币资金", "100.00", "200.00"), Item("15", "资产总计", "2,021,590.00", "200.00"),
       Item("30", "负债和所有者权益总计", "2021590", "200.0")})});
  // Its layout is no shipped one: the balance check, line numbers, amounts,
  // and that it was not checked.
  ASSERT_EQ(results.size(), 4U);
  EXPECT_EQ(results[0].outcome, Outcome::kPassed);
  EXPECT_EQ(results[0].title, Gbk("balance sheet: 资产总计 (line 15) equals "
                                  "负债和所有者权益总计 (line 30)"));
  EXPECT_EQ(Details(results[0]), Gbk("年初数: 2,021,590.00 = 2021590\n期末数: 200.00 = 200.0\n"));
  EXPECT_FALSE(AnyCheckFailed(results));
}

TEST(ShowChecks, TotalsThatDifferFailNamingItemsFiguresAndDifference) {
  const std::vector<CheckResult> results =
      Check({BalanceSheet({Item("15", "资产总计", "2021590.00", "2621680.15"),
                           Item("30", "负债和所有者权益总计", "2021590.00", "2621680.05")})});
  EXPECT_EQ(results[0].outcome, Outcome::kFailed);
  EXPECT_EQ(Details(results[0]), Gbk("年初数: 2021590.00 = 2021590.00\n"
                                     "期末数: 资产总计 2621680.15, 负债和所有者权益总计 "
                                     "2621680.05, difference 0.10\n"));
  EXPECT_TRUE(AnyCheckFailed(results));
}

TEST(ShowChecks, TotalsAreFoundUnderTheTemplatesVariants) {
  for (const char* name :
       {"负债和所有者权益总计", "负债及所有者权益总计", "负债和所有者权益（或股东权益）总计",
        "负债和所有者权益(或股东权益)总计", "负债及股东权益总计", "负债与所有者权益合计",
        "负 债 和 所 有 者 权 益 总 计", "　负债和所有者权益总计", "负债和所有者（或股东）权益总计",
        "负债和股东权益总计", "三、负债及所有者权益总计："}) {
    EXPECT_TRUE(IsTotalLiabilitiesAndEquity(Gbk(name))) << name;
  }
  for (const char* name : {"负债合计", "所有者权益合计", "负债和所有者权益", "负债总计",
                           "负债和所有者权益总计数", "流动负债合计", "负债和"}) {
    EXPECT_FALSE(IsTotalLiabilitiesAndEquity(Gbk(name))) << name;
  }
  EXPECT_TRUE(IsTotalAssets(Gbk("资产总计")));
  EXPECT_TRUE(IsTotalAssets(Gbk("资 产 总 计")));
  EXPECT_TRUE(IsTotalAssets(Gbk("资产合计")));
  EXPECT_FALSE(IsTotalAssets(Gbk("流动资产合计")));
  EXPECT_FALSE(IsTotalAssets(Gbk("资产")));
}

// Exit status 0 must mean that the totals were compared: a sheet whose
// totals are missing, repeated, empty or no numbers fails, saying which.
TEST(ShowChecks, BalanceCheckFailsWhereItComparesNothing) {
  const StatementItem assets = Item("15", "资产总计", "100.00", "200.00");
  const StatementItem claims = Item("30", "负债和所有者权益总计", "100.00", "200.00");
  struct Case {
    const char* what;
    std::vector<StatementItem> items;
    const char* details;
  };
  const Case cases[] = {
      {"no total of liabilities and equity", {assets, Item("16", "短期借款", "9", "9")},
       "no item is the total of liabilities and owners' equity (负债和所有者权益总计)\n"},
      {"no items at all", {},
       "no item is the total of assets (资产总计)\n"
       "no item is the total of liabilities and owners' equity (负债和所有者权益总计)\n"},
      {"a total twice", {assets, claims, Item("31", "资 产 总 计", "1", "2")},
       "the total of assets is there 2 times, which one counts is not known: "
       "资产总计 (line 15), 资 产 总 计 (line 31)\n"},
      {"an empty amount", {Item("15", "资产总计", "", "200.00"), claims},
       "年初数: not compared: 资产总计 (line 15) is empty\n期末数: 200.00 = 200.00\n"},
      {"blanks and a dash", {Item("15", "资产总计", Gbk("　 "), "200.00"),
        Item("30", "负债和所有者权益总计", "100.00", Gbk("—"))},
       "年初数: not compared: 资产总计 (line 15) is empty\n"
       "期末数: not compared: 负债和所有者权益总计 (line 30) is empty\n"},
      {"no amount element",
       {assets, Item("30", "负债和所有者权益总计", std::nullopt, std::nullopt)},
       "年初数: not compared: 负债和所有者权益总计 (line 30) has no amount\n"
       "期末数: not compared: 负债和所有者权益总计 (line 30) has no amount\n"},
      {"not a number",
       {Item("15", "资产总计", "-", "abc"), Item("30", "负债及所有者权益总计", "0", "1.0")},
       "年初数: not compared: 资产总计 (line 15) is empty\n"
       "期末数: not compared: 资产总计 (line 15) \"abc\" is not a number\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<CheckResult> results = Check({BalanceSheet(c.items)});
    EXPECT_EQ(results[0].outcome, Outcome::kFailed);
    EXPECT_EQ(Details(results[0]), Gbk(c.details));
    EXPECT_TRUE(AnyCheckFailed(results));
  }
}

// An empty income statement once passed every check; now it fails for
// holding no amounts, and still gets no balance check.
TEST(ShowChecks, NoBalanceCheckWithoutABalanceSheet) {
  const std::vector<CheckResult> results = Check({IncomeStatement({}, {})});
  EXPECT_EQ(results.size(), 3U);
  for (const CheckResult& result : results) EXPECT_NE(result.title.rfind("balance sheet", 0), 0U);
  EXPECT_EQ(results[0].outcome, Outcome::kFailed);
  EXPECT_TRUE(AnyCheckFailed(results));
}

TEST(ShowChecks, LineNumbersUsedTwiceInOneListAreNamed) {
  const std::vector<CheckResult> results =
      Check({IncomeStatement({Item("1", "营业收入", "1", "1"), Item("2", "营业成本", "1", "1"),
                              Item("2", "税金及附加", "1", "1"), Item("2", "销售费用", "1", "1")},
                             // The supplementary list numbers its items itself.
                             {Item("1", "1.债务重组损失", "1", "1")}),
             BalanceSheet({Item("1", "货币资金", "1", "1"), Item("1", "短期借款", "1", "1")})});
  const CheckResult& lines = Titled(results, "line numbers");
  EXPECT_EQ(lines.outcome, Outcome::kFailed);
  EXPECT_EQ(Details(lines),
            Gbk("损益表: line 2 is used by 3 items: 营业成本, 税金及附加, 销售费用\n"
                "资产负债表: line 1 is used by 2 items: 货币资金, 短期借款\n"));
}

TEST(ShowChecks, AmountsThatAreNotNumbersAreNamed) {
  const std::vector<CheckResult> results = Check({IncomeStatement(
      {Item("1", "营业收入", "1,234.50", Gbk("—")), Item("2", "营业成本", "12,34.00", std::nullopt),
       Item("3", "管理费用", "", "--")},
      {Item("1", "1.其他", "3.00", "n/a")})});
  const CheckResult& amounts = Titled(results, "every amount");
  EXPECT_EQ(amounts.outcome, Outcome::kFailed);
  EXPECT_EQ(Details(amounts),
            Gbk("损益表 营业成本 (line 2), 本月数: \"12,34.00\" is not a number\n"
                "损益表 补充资料 1.其他 (line 1), 上年数: \"n/a\" is not a number\n"));
  EXPECT_EQ(Titled(results, "line numbers").outcome, Outcome::kPassed);
}

// How the layouts are chosen, on two small ones of the same lines that add
// 减值损失 with other signs, one that is a strict subset of them and one
// that checks 净利润 besides.
TEST(ShowChecks, EachStatementIsCheckedByItsOwnLayoutOrNotAtAll) {
  std::string error;
  const std::optional<std::vector<Layout>> layouts = ReadRuleFile(
      "[损益表]\n利润 = 收入 - 成本\n", "a.rules", true, error);
  const std::optional<std::vector<Layout>> minus = ReadRuleFile(
      "[损益表]\n利润 = 收入 - 成本 - 减值损失\n", "b.rules", true, error);
  const std::optional<std::vector<Layout>> plus = ReadRuleFile(
      "[损益表]\n利润 = 收入 - 成本 + 减值损失\n", "c.rules", true, error);
  const std::optional<std::vector<Layout>> more = ReadRuleFile(
      "[损益表]\n利润 = 收入 - 成本 + 减值损失\n净利润 = 持续 + 终止\n", "d.rules", true, error);
  ASSERT_TRUE(layouts && minus && plus && more) << error;
  std::vector<Layout> all = *layouts;
  for (const auto* other : {&*minus, &*plus, &*more}) all.push_back(other->front());
  const struct {
    const char* what;
    std::vector<StatementItem> items;
    Outcome outcome;  // of the statement's first result
    const char* title;
  } cases[] = {
      {"the subset gives way", {Item("1", "收入", "9", "9"), Item("2", "成本", "4", "4"),
                                Item("3", "减：减值损失", "1", "1"), Item("4", "利润", "4", "4")},
       Outcome::kPassed, "损益表: 利润 = 收入 - 成本 - 减值损失"},
      {"a loss printed negative is added",
       {Item("1", "收入", "9", "9"), Item("2", "成本", "4", "4"),
        Item("3", "减值损失（损失以“－”号填列）", "-1", "-1"), Item("4", "利润", "4", "4"),
        Item("5", "净利润", "4", "4"), Item("6", "持续", "4", "4"), Item("7", "终止", "0", "")},
       Outcome::kPassed, "损益表: 利润 = 收入 - 成本 + 减值损失"},
      {"a sum of blank lines is not compared",
       {Item("1", "收入", "9", "9"), Item("2", "成本", "4", "4"),
        Item("3", "减值损失（损失以“－”号填列）", "-1", "-1"), Item("4", "利润", "4", "4"),
        Item("5", "净利润", "4", "4"), Item("6", "持续", "0.00", ""), Item("7", "终止", "0", "-")},
       Outcome::kPassed, "损益表: 利润 = 收入 - 成本 + 减值损失"},
      {"lines that fit two alike", {Item("1", "收入", "9", "9"), Item("2", "成本", "4", "4"),
                                    Item("3", "减值损失", "1", "1"), Item("4", "利润", "4", "4")},
       Outcome::kNotChecked, "损益表: layout not recognised: not checked (see --rules)"},
      {"every amount zero", {Item("1", "收入", "0.00", "0.00"), Item("2", "成本", "", "0.00")},
       Outcome::kAllZero, "损益表: every amount is zero: not checked"},
      {"the smaller layout where the other's lines are missing",
       {Item("1", "收入", "9", "9"), Item("2", "成本", "4", "3"), Item("4", "利润", "5", "5")},
       Outcome::kFailed, "损益表: 利润 = 收入 - 成本"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<CheckResult> results;
    CheckStatementArithmetic(IncomeStatement(c.items, {}), 0, all, results);
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(results[0].outcome, c.outcome);
    EXPECT_EQ(results[0].title, Gbk(c.title));
    for (std::size_t i = 1; i < results.size(); ++i) {
      EXPECT_NE(results[i].outcome, Outcome::kFailed) << results[i].title;
    }
    EXPECT_EQ(AnyNotChecked(results),
              c.outcome == Outcome::kNotChecked || c.outcome == Outcome::kAllZero);
  }
}

// Rules that could never fail are refused, with the line and column.
TEST(ShowChecks, RulesThatCannotFailAreRefused) {
  const struct {
    const char* rule;
    const char* error;
  } cases[] = {
      {"利润 = 收入（ + 成本", "x.rules:2:8: this bracket is not closed"},
      {"利润 = 利润", "x.rules:2:6: both sides of the rule are the same item, so it cannot fail"},
      {"利润 = -利润", "x.rules:2:7: the sides of the rule share every item, so it checks nothing"},
      {"利润 = 收入 - 成本 + 收入", "x.rules:2:16: the rule names 收入 twice"},
      {"利润 = 收入 - 利润", "x.rules:2:11: the rule names 利润 twice"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadRuleFile(std::string("[损益表]\n") + c.rule, "x.rules", true, error)) << c.rule;
    EXPECT_EQ(error, Gbk(c.error)) << c.rule;
  }
}

}  // namespace
}  // namespace vok::tool
