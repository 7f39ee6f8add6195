// The income statement of the financial templates: monthly items, then a
// numbered supplementary block from the supplementary heading on.
#include <gtest/gtest.h>

#include "request/messages.h"
#include "sections_test_cells.h"

namespace vok {
namespace {

using test::CellExportBuilder;
using test::Document;
using test::IncomeHead;
using test::MonthlyItem;
using test::YearOnYearItem;

class IncomeStatementSectionV3Test : public ::testing::Test {
 protected:
  test::SectionRun Run(const CellExportBuilder& cells) {
    return test::RunWriter(WriteIncomeStatementSectionV3, cells.WriteTo(folder_), 2024, 3);
  }
  static CellExportBuilder WithHeader() {
    CellExportBuilder cells;
    cells.Merged(1, 1, 1, 4, "利润表").Row(3, {"项目", "行次", "本月数", "本年累计数"});
    return cells;
  }
  static std::string Section(const std::string& main, const std::string& supplementary) {
    return Document(IncomeHead("202403") + main + "</SB_SYB_MXXX><SB_SYB_BCZL>" + supplementary +
                    "</SB_SYB_BCZL></SB_SYB>");
  }
  static std::string Failed() { return Document(IncomeHead("202403")); }

  test::TempFolder folder_;
};

TEST_F(IncomeStatementSectionV3Test, WritesARealisticStatementWithItsSupplementaryBlock) {
  const test::SectionRun run = test::RunWriter(
      WriteIncomeStatementSectionV3, test::FixturePath("income_statement_supplementary.xml"), 2024, 3);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, Document(test::ExpectedSection("income_statement_supplementary.expected")));
}

TEST_F(IncomeStatementSectionV3Test, WithoutAHeadingTheMonthlyItemsMatchTheFixedLayout) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"一、营业收入", "1", "412,530.00", "1,186,420.75"})
      .Row(5, {"税金及附加", "3", "", "9,860.12"})
      .Row(6, {"其中：城建税", "", "1", "1"});
  const std::string path = cells.WriteTo(folder_);
  const std::string items = MonthlyItem("1", "一、营业收入", "412,530.00", "1,186,420.75") +
                            MonthlyItem("3", "税金及附加", "0.00", "9,860.12");
  EXPECT_EQ(test::RunWriter(WriteIncomeStatementSectionV3, path, 2024, 3).output, Section(items, ""));
  EXPECT_EQ(test::RunWriter(WriteIncomeStatementSectionV1, path, 2024, 3).output,
            Document(IncomeHead("202403") + items + test::kMonthlyEnd));
}

TEST_F(IncomeStatementSectionV3Test, FiveColumnsWithTheMarkerInColumnThree) {
  CellExportBuilder cells;
  cells.Row(2, {"", "项目", "栏次", "本月数", "本年累计数"})
      .Row(3, {"1", "营业收入", "1", "100", "300"})
      .Row(4, {"2", "营业成本", "2", "", "-"})
      .Merged(5, 1, 5, 5, "补充资料")
      .Row(6, {"", "项目", "", "本年累计数", "上年实际数"})
      .Row(7, {"a", "出售收益", "9", "5", ""});
  EXPECT_EQ(Run(cells).output, Section(MonthlyItem("1", "营业收入", "100", "300") +
                                           MonthlyItem("2", "营业成本", "0.00", "-"),
                                       YearOnYearItem("1", "出售收益", "5", "0.00")));
}

TEST_F(IncomeStatementSectionV3Test, RecognisesTheSixHeadingsWithBlanksOnly) {
  for (const char* heading : {"补充资料：", "补 充 资 料", "　补充资料", "补充材料:"}) {
    CellExportBuilder cells = WithHeader();
    cells.Row(4, {"净利润", "32", "1", "2"})
        .Row(5, {heading, "", "", ""})
        .Row(6, {"项目", "", "本年累计数", "上年实际数"})
        .Row(7, {"出售收益", "", "3", "4"});
    EXPECT_EQ(Run(cells).output, Section(MonthlyItem("32", "净利润", "1", "2"),
                                         YearOnYearItem("1", "出售收益", "3", "4")))
        << heading;
  }
  for (const char* other : {"补充资料。", "补充说明："}) {
    CellExportBuilder cells = WithHeader();
    cells.Row(4, {"净利润", "32", "1", "2"})
        .Row(5, {other, "", "", ""})
        .Row(6, {"项目", "行次", "本年累计数", "上年实际数"})
        .Row(7, {"出售收益", "1", "3", "4"});
    EXPECT_EQ(Run(cells).output,
              Section(MonthlyItem("32", "净利润", "1", "2") +
                          MonthlyItem("行次", "项目", "本年累计数", "上年实际数") +
                          MonthlyItem("1", "出售收益", "3", "4"),
                      ""))
        << other;
  }
}

TEST_F(IncomeStatementSectionV3Test, EmptyNamesAndLineNumbersWriteNothing) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"营业收入", "", "1", "1"})
      .Row(5, {"", "2", "1", "1"})
      .Row(6, {"营业成本", "3", "5", "6"})
      .Merged(7, 1, 7, 4, "补充资料：")
      .Row(8, {"项目", "", "本年累计数", "上年实际数"})
      .Row(9, {"出售收益", "", "", ""})
      .Row(10, {" ", "", "7", "8"})
      .Row(11, {"损失", "x", "9", "-"});
  EXPECT_EQ(Run(cells).output, Section(MonthlyItem("3", "营业成本", "5", "6"),
                                       YearOnYearItem("1", "出售收益", "0.00", "0.00") +
                                           YearOnYearItem("2", "损失", "9", "-")));
}

TEST_F(IncomeStatementSectionV3Test, MergedRangesEndTheListsOnlyInsideADataRow) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"营业收入", "1", "10", "20"})
      .Merged(5, 2, 5, 4, "（以下为补充）")
      .Merged(6, 1, 6, 4, "补充资料：")
      .Row(7, {"项目", ""})
      .Merged(7, 3, 7, 4, "金额")
      .Row(8, {"出售收益", "", "3", "4"})
      .Row(9, {"损失", ""})
      .Merged(9, 3, 9, 4, "无")
      .Row(10, {"其他", "", "5", "6"});
  const test::SectionRun run = Run(cells);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(MonthlyItem("1", "营业收入", "10", "20"),
                                YearOnYearItem("1", "出售收益", "3", "4")));

  CellExportBuilder merged_anchor = WithHeader();
  merged_anchor.Row(4, {"营业收入", "1", "10", "20"})
      .Merged(5, 1, 6, 1, "营业成本")
      .RowFrom(5, 2, {"2", "30", "40"})
      .Row(7, {"净利润", "3", "50", "60"});
  EXPECT_EQ(Run(merged_anchor).output, Section(MonthlyItem("1", "营业收入", "10", "20"), ""));
}

TEST_F(IncomeStatementSectionV3Test, OnlyTheFirstMarkerRowIsTheHeaderRow) {
  // A second marker in the header row leaves the line-number column with the
  // first; a marker row further down is ignored, so row 5, listed after it,
  // is still data.
  CellExportBuilder cells;
  cells.Row(3, {"项目", "行次", "本月数", "本年累计数", "行次"})
      .Row(4, {"营业收入", "1", "10", "20", ""})
      .RowFrom(6, 2, {"行次"})
      .Row(5, {"营业成本", "2", "30", "40", ""})
      .Row(7, {"净利润", "3", "50", "60", ""});
  EXPECT_EQ(Run(cells).output, Section(MonthlyItem("1", "营业收入", "10", "20") +
                                           MonthlyItem("2", "营业成本", "30", "40") +
                                           MonthlyItem("3", "净利润", "50", "60"),
                                       ""));
}

TEST_F(IncomeStatementSectionV3Test, AHeadingAboveTheHeaderRowMakesEveryRowSupplementary) {
  CellExportBuilder cells;
  cells.Row(1, {"补充资料"}).Row(3, {"项目", "行次", "本年累计数", "上年实际数"}).Row(4, {"收益", "", "1", "2"});
  EXPECT_EQ(Run(cells).output, Section("", YearOnYearItem("1", "收益", "1", "2")));
}

TEST_F(IncomeStatementSectionV3Test, FailuresKeepOnlyTheHead) {
  CellExportBuilder short_row = WithHeader();
  short_row.Row(4, {"营业收入", "1", "10", "20"}).Row(5, {"营业成本", "2", "30"});
  test::SectionRun run = Run(short_row);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.message, msg::kIncomeExportUnreadable);
  EXPECT_EQ(run.output, Failed());

  // Rows from 10000 on are data even without a marker, but then the line
  // number lies 3000 columns on, past the end of the list.
  CellExportBuilder no_marker;
  no_marker.Row(10000, {"营业收入", "1", "10", "20"});
  run = Run(no_marker);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.output, Failed());
}

}  // namespace
}  // namespace vok
