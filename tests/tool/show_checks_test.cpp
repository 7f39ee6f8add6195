// show's checks: a balance sheet that does not balance or whose totals
// cannot be compared, line numbers used twice, amounts that are not
// numbers; each finding names items and figures; how rules are applied and
// read. Two balance sheets in one document are in tests/tool/show-helpers.sh,
// statements of every published format in show_statement_variants_test.cpp.
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
  static const CheckResult none{Outcome::kFailed, "no such check", {}, {}, {}};
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

// The balance check fails only where a column's totals differ; where they
// are not found once each, or are blank or zero, or not numbers, it does not
// compare them, and a sheet where it compared nothing is not checked.
TEST(ShowChecks, BalanceCheckFailsOnlyWhereTotalsDiffer) {
  const StatementItem assets = Item("15", "资产总计", "100.00", "200.00");
  const StatementItem claims = Item("30", "负债和所有者权益总计", "100.00", "200.00");
  struct Case {
    const char* what;
    std::vector<StatementItem> items;
    Outcome outcome;
    const char* details;
  };
  const Case cases[] = {
      {"no total of liabilities and equity", {assets, Item("16", "短期借款", "9", "9")},
       Outcome::kNotChecked,
       "no item is the total of liabilities and owners' equity (负债和所有者权益总计)\n"},
      {"a balance sheet of another kind", {assets, Item("40", "负债和净资产总计", "100", "200")},
       Outcome::kNotChecked,
       "no item is the total of liabilities and owners' equity (负债和所有者权益总计)\n"
       "负债和净资产总计 (line 40) is the total of a balance sheet of another kind "
       "(民间非营利组织, 事业单位), which these checks do not know\n"},
      {"a total twice", {assets, claims, Item("31", "资 产 总 计", "1", "2")}, Outcome::kNotChecked,
       "the total of assets is there 2 times, which one counts is not known: "
       "资产总计 (line 15), 资 产 总 计 (line 31)\n"},
      {"a new company's start of the year in dashes",
       {Item("15", "资产总计", "-", "200.00"), Item("30", "负债和所有者权益总计", Gbk("—"), "200")},
       Outcome::kPassed,
       "年初数: not compared: both totals are blank or zero\n期末数: 200.00 = 200\n"},
      {"a blank total beside one with figures",
       {Item("15", "资产总计", Gbk("　 "), "200.00"), claims}, Outcome::kFailed,
       "年初数: 资产总计 　 , 负债和所有者权益总计 100.00, difference -100.00\n"
       "期末数: 200.00 = 200.00\n"},
      {"no amount element, part of a cent",
       {Item("15", "资产总计", std::nullopt, "0.125"), claims}, Outcome::kNotChecked,
       "年初数: not compared: 资产总计 (line 15) has no amount\n"
       "期末数: not compared: 资产总计 (line 15) 0.125 is no whole number of cents\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<CheckResult> results = Check({BalanceSheet(c.items)});
    EXPECT_EQ(results[0].outcome, c.outcome);
    EXPECT_EQ(Details(results[0]), Gbk(c.details));
    EXPECT_EQ(AnyCheckFailed(results), c.outcome == Outcome::kFailed);
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

// How layouts are chosen and rules compared, on two small layouts of the
// same lines that add 减值损失 with other signs, one that is a subset of
// them and one that checks 净利润 besides, its breakdown optional.
TEST(ShowChecks, EachStatementIsCheckedByItsOwnLayoutOrNotAtAll) {
  std::vector<Layout> all;
  for (const char* text :
       {"[利润表] a\n利润 = 收入 - 成本\n", "[利润表] b\n利润 = 收入 - 成本 - 减值损失\n",
        "[利润表] c\n利润 = 收入 - 成本 + 减值损失\n",
        "[利润表] d\n利润 = 收入 - 成本 + 减值损失\n净利润 = 利润 - 所得税\n"
        "可选：净利润 = 持续 + 终止\n其中：利息\n"}) {
    std::string error;
    const std::optional<std::vector<Layout>> read = ReadRuleFile(text, "x.rules", true, error);
    ASSERT_TRUE(read) << error;
    all.push_back(read->front());
  }
  // 利润 4: 净利润 3, its breakdown left blank.
  const std::vector<StatementItem> net{Item("5", "净利润", "3", "3"), Item("6", "减：所得税", "1", "1"),
                                       Item("7", "持续", "0.00", ""), Item("8", "终止", "-", "")};
  const auto with = [&net](std::vector<StatementItem> items) {
    items.insert(items.end(), net.begin(), net.end());
    return items;
  };
  const struct {
    const char* what;
    std::vector<StatementItem> items;
    const char* format;  // that judged it, "" for none
    Outcome outcome;     // of its first rule, or of the statement where none was applied
  } cases[] = {
      {"the layout that names the most lines judges", {Item("1", "收入", "9", "9"),
       Item("2", "成本", "4", "4"), Item("3", "减：减值损失", "1", "1"), Item("4", "利润", "4", "4")},
       "b", Outcome::kPassed},
      {"a loss printed negative is added; a part and a blank breakdown are in no sum",
       with({Item("1", "收入", "9", "9"), Item("2", "成本", "4", "4"),
             Item("3", "减值损失（损失以“－”号填列）", "-1", "-1"), Item("31", "利息", "7", "7"),
             Item("4", "利润", "4", "4")}),
       "d", Outcome::kPassed},
      {"lines that fit two alike that add up differently", {Item("1", "收入", "9", "9"),
       Item("2", "成本", "4", "4"), Item("3", "减值损失", "1", "1"), Item("4", "利润", "4", "4")},
       "", Outcome::kNotChecked},
      {"the richer layout with a line hidden, counted as zero",
       with({Item("1", "收入", "9", "9"), Item("2", "成本", "5", "5"), Item("4", "利润", "4", "4")}),
       "d", Outcome::kPassed},
      {"a line the rule does not account for", {Item("1", "收入", "9", "9"),
       Item("2", "其他", "2", "2"), Item("3", "成本", "4", "4"), Item("4", "利润", "5", "5")},
       "", Outcome::kNotCompared},
      {"a total over lines that are zero", {Item("1", "收入", "0.00", "9"),
       Item("2", "成本", "", "4"), Item("4", "利润", "8", "5")}, "a", Outcome::kFailed},
      {"every amount zero", {Item("1", "收入", "0.00", "0.00"), Item("2", "成本", "", "0.00")}, "",
       Outcome::kAllZero},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<CheckResult> results;
    CheckStatementArithmetic(IncomeStatement(c.items, {}), 0, all, results);
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(JudgingFormats(results), c.format);
    const auto rule = std::find_if(results.begin(), results.end(), [](const CheckResult& r) {
      return r.title.find(" = ") != std::string::npos;
    });
    EXPECT_EQ((rule == results.end() ? results.front() : *rule).outcome, c.outcome);
    EXPECT_EQ(AnyCheckFailed(results), c.outcome == Outcome::kFailed);
    EXPECT_EQ(AnyNotChecked(results), std::string(c.format).empty());
  }
  // A failure shows a negative line in brackets.
  std::vector<CheckResult> results;
  CheckStatementArithmetic(IncomeStatement({Item("1", "收入", "9", "9"), Item("2", "成本", "4", "4"),
                                            Item("3", "减值损失（损失以“－”号填列）", "-1", "0"),
                                            Item("4", "利润", "5", "5")},
                                           {}),
                           0, all, results);
  ASSERT_GT(results.size(), 1U);
  EXPECT_EQ(Details(results[1]), Gbk("本月数: 利润 5.00, its lines give 9.00 - 4.00 + (-1.00) = 4.00, "
                                     "difference 1.00\n"));
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
      {"可选：利润 = 利润", "x.rules:2:9: both sides of the rule are the same item, so it cannot fail"},
      {"其中：利息, , 汇兑损益", "x.rules:2:8: a part is missing here"},
      {"[利润]", "x.rules:2:1: a section is [利润表] or [资产负债表]"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadRuleFile(std::string("[损益表]\n") + c.rule, "x.rules", true, error)) << c.rule;
    EXPECT_EQ(error, Gbk(c.error)) << c.rule;
  }
}

}  // namespace
}  // namespace vok::tool
