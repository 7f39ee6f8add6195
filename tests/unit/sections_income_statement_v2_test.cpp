// The income statement of year and prior-year amounts: columns from the
// header row, every item inside the SB_SYB_BCZL block.
#include <gtest/gtest.h>

#include "request/messages.h"
#include "sections_test_cells.h"

namespace vok {
namespace {

using test::CellExportBuilder;
using test::Document;
using test::IncomeHead;
using test::YearOnYearItem;

class IncomeStatementSectionV2Test : public ::testing::Test {
 protected:
  test::SectionRun Run(const CellExportBuilder& cells) {
    return test::RunWriter(WriteIncomeStatementSectionV2, cells.WriteTo(folder_), 2024, 12);
  }
  static std::string Section(const std::string& items) {
    return Document(IncomeHead("202412") + "<SB_SYB_BCZL>" + items +
                    "</SB_SYB_BCZL></SB_SYB_MXXX></SB_SYB>");
  }
  static std::string Failed() { return Document(IncomeHead("202412")); }

  test::TempFolder folder_;
};

TEST_F(IncomeStatementSectionV2Test, WritesARealisticStatementWithARepeatedHeaderRow) {
  // The repeated header row lower down is an ordinary row: its marker cell
  // is jumped over with the rest of the row and becomes a line number.
  const test::SectionRun run = test::RunWriter(
      WriteIncomeStatementSectionV2, test::FixturePath("income_statement_year_on_year.xml"), 2024, 12);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, Document(test::ExpectedSection("income_statement_year_on_year.expected")));
}

TEST_F(IncomeStatementSectionV2Test, FiveColumnsWithTheMarkerInColumnThree) {
  CellExportBuilder cells;
  cells.Merged(1, 1, 1, 5, "利润表")
      .Row(2, {"序号", "项目", "行 次", "本年累计", "上年同期"})
      .Row(3, {"1", "营业收入", "1", "900.00", "800.00"})
      .Row(4, {"2", "营业成本", "2", "", "  "})
      .Row(5, {"", "", "3", "1", "1"})
      .Row(6, {"", "投资收益", "", "1", "1"})
      .Row(7, {"5", "营业外收入", "5", "-", "7"});
  EXPECT_EQ(Run(cells).output, Section(YearOnYearItem("1", "营业收入", "900.00", "800.00") +
                                       YearOnYearItem("2", "营业成本", "0.00", "0.00") +
                                       YearOnYearItem("5", "营业外收入", "-", "7")));
}

TEST_F(IncomeStatementSectionV2Test, RepeatedHeaderRowWithAnEmptyNameCell) {
  CellExportBuilder cells;
  cells.Row(3, {"项目", "行次", "本年金额", "上年金额"})
      .Row(4, {"营业收入", "1", "10", "9"})
      .Row(5, {"", "行次", "本年金额", "上年金额"})
      .Row(6, {"营业成本", "2", "8", "7"});
  EXPECT_EQ(Run(cells).output, Section(YearOnYearItem("1", "营业收入", "10", "9") +
                                       YearOnYearItem("2", "营业成本", "8", "7")));
}

TEST_F(IncomeStatementSectionV2Test, AMarkerInARowWithoutAnchorMovesTheFirstDataRow) {
  // Row 5 has no column-1 cell, so its marker is read: the rows from 6 on are
  // data, the merged heading in row 5 lies above them, and the line-number
  // column stays that of the first marker.
  CellExportBuilder cells;
  cells.Row(3, {"项目", "行次", "本年金额", "上年金额"})
      .Row(4, {"营业收入", "1", "10", "9"})
      .RowFrom(5, 2, {"栏次"})
      .Merged(5, 3, 5, 4, "续表")
      .Row(6, {"营业成本", "2", "8", "7"});
  // The width became 4 from the last record of row 5.
  EXPECT_EQ(Run(cells).output, Section(YearOnYearItem("1", "营业收入", "10", "9") +
                                       YearOnYearItem("2", "营业成本", "8", "7")));
}

TEST_F(IncomeStatementSectionV2Test, MergedRangesEndTheList) {
  CellExportBuilder heading;
  heading.Row(3, {"项目", "行次", "本年金额", "上年金额"})
      .Row(4, {"营业收入", "1", "10", "9"})
      .Merged(5, 1, 5, 4, "补充资料：")
      .Row(6, {"出售收益", "1", "0.00", "0.00"})
      .Raw("<cell/>");
  test::SectionRun run = Run(heading);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(YearOnYearItem("1", "营业收入", "10", "9")));

  CellExportBuilder in_row;
  in_row.Row(3, {"项目", "行次", "本年金额", "上年金额"})
      .Row(4, {"营业收入", "1", "10", "9"})
      .Row(5, {"营业成本", "2"})
      .Merged(5, 3, 5, 4, "不适用")
      .Cell(5, 4, 5, 4, "")
      .Row(6, {"投资收益", "3", "1", "1"});
  run = Run(in_row);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(YearOnYearItem("1", "营业收入", "10", "9")));
}

TEST_F(IncomeStatementSectionV2Test, WithoutAMarkerTheBlockIsEmpty) {
  CellExportBuilder cells;
  cells.Row(3, {"项目", "行次：", "本年金额", "上年金额"}).Row(4, {"营业收入", "1", "10", "9"});
  const test::SectionRun run = Run(cells);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(""));
}

TEST_F(IncomeStatementSectionV2Test, FailuresKeepOnlyTheHead) {
  // The row check runs past the end of the list.
  CellExportBuilder short_row;
  short_row.Row(3, {"项目", "行次", "本年金额", "上年金额"})
      .Row(4, {"营业收入", "1", "10", "9"})
      .Row(5, {"营业成本", "2", "8"});
  test::SectionRun run = Run(short_row);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.message, msg::kIncomeExportUnreadable);
  EXPECT_EQ(run.output, Failed());

  // The item name is read even when the line number is empty.
  CellExportBuilder nameless;
  nameless.Row(2, {"", "项目", "行次", "本年", "上年"})
      .Row(3, {"1"})
      .Raw("<cell><row1>3</row1><col1>2</col1><row2>3</row2><col2>2</col2></cell>")
      .RowFrom(3, 3, {"", "5", "6"});
  run = Run(nameless);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.output, Failed());

  // A record the scan reads without its value.
  CellExportBuilder no_value;
  no_value.Row(3, {"项目", "行次", "本年金额", "上年金额"})
      .Raw("<cell><row1>4</row1><col1>1</col1><row2>4</row2><col2>1</col2></cell>");
  run = Run(no_value);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.output, Failed());
}

TEST_F(IncomeStatementSectionV2Test, AHeaderRowWithoutWidthStillMovesOn) {
  CellExportBuilder cells;
  cells.Row(3, {"项目", "行次", "本年金额"})
      .Raw("<cell><row1>3</row1><col1>4</col1><row2>3</row2><col2>0</col2><value>上年金额</value></cell>")
      .Row(4, {"营业收入", "1", "10", "9"})
      .Row(5, {"营业成本", "2", "8", "7"});
  const test::SectionRun run = Run(cells);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(YearOnYearItem("1", "营业收入", "10", "9") +
                                YearOnYearItem("2", "营业成本", "8", "7")));
}

}  // namespace
}  // namespace vok
