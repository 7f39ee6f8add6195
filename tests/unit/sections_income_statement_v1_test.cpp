// The income statement in the fixed monthly layout: item name, line number,
// amount for the month, cumulative amount; four cells a row.
#include <gtest/gtest.h>

#include "request/messages.h"
#include "sections_test_cells.h"

namespace vok {
namespace {

using test::CellExportBuilder;
using test::Document;
using test::IncomeHead;
using test::kMonthlyEnd;
using test::MonthlyItem;

class IncomeStatementSectionV1Test : public ::testing::Test {
 protected:
  test::SectionRun Run(const CellExportBuilder& cells, std::int32_t year = 2007,
                       std::int32_t period = 3) {
    return test::RunWriter(WriteIncomeStatementSectionV1, cells.WriteTo(folder_), year, period);
  }
  static CellExportBuilder WithHeader() {
    CellExportBuilder cells;
    cells.Merged(1, 1, 1, 4, "损益表").Row(3, {"项目", "行次", "本月数", "本年累计数"});
    return cells;
  }
  static std::string Section(const std::string& items) {
    return Document(IncomeHead("200703") + items + kMonthlyEnd);
  }
  static std::string Failed() { return Document(IncomeHead("200703")); }

  test::TempFolder folder_;
};

TEST_F(IncomeStatementSectionV1Test, WritesARealisticStatement) {
  const test::SectionRun run = test::RunWriter(
      WriteIncomeStatementSectionV1, test::FixturePath("income_statement_monthly.xml"), 2007, 3);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, Document(test::ExpectedSection("income_statement_monthly.expected")));
}

TEST_F(IncomeStatementSectionV1Test, ThePeriodTextComesFromTheArguments) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"一、主营业务收入", "1", "5", "6"});
  const std::string item = MonthlyItem("1", "一、主营业务收入", "5", "6");
  EXPECT_EQ(Run(cells, 2007, 12).output, Document(IncomeHead("200712") + item + kMonthlyEnd));
  EXPECT_EQ(Run(cells, 812, 1).output, Document(IncomeHead("081201") + item + kMonthlyEnd));
  EXPECT_EQ(Run(cells, 12345, 123).output, Document(IncomeHead("12345123") + item + kMonthlyEnd));
}

TEST_F(IncomeStatementSectionV1Test, ReadsCellsByPositionFourAtATime) {
  // A blank line number writes nothing, and the cells after the anchor are
  // never tested: the marker record among them (whatever its coordinates
  // say) does not move the first data row. An item name may be empty.
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"加：其他业务利润", " ", ""})
      .Cell(9, 2, 9, 2, "行次")
      .Row(5, {"", "11", "", "-"})
      .Row(6, {"营业费用", "14", "1,234.50", "　"})
      .RowFrom(7, 3, {"9"})
      .Row(8, {"所得税", "28", "0", "0"});
  EXPECT_EQ(Run(cells).output, Section(MonthlyItem("11", "", "0.00", "-") +
                                       MonthlyItem("14", "营业费用", "1,234.50", "　") +
                                       MonthlyItem("28", "所得税", "0", "0")));
}

TEST_F(IncomeStatementSectionV1Test, FailsOnlyWhereTheRowNeedsAMissingPosition) {
  CellExportBuilder last = WithHeader();
  last.Row(4, {"利润总额", "27", "1", "1"}).Row(5, {"所得税"});
  test::SectionRun run = Run(last);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.message, msg::kIncomeExportUnreadable);
  EXPECT_EQ(run.output, Failed());

  CellExportBuilder with_line = WithHeader();
  with_line.Row(4, {"所得税", "28"});
  run = Run(with_line);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.output, Failed());

  CellExportBuilder empty_line = WithHeader();
  empty_line.Row(4, {"利润总额", "27", "1", "1"}).Row(5, {"所得税", ""});
  run = Run(empty_line);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, Section(MonthlyItem("27", "利润总额", "1", "1")));
}

TEST_F(IncomeStatementSectionV1Test, OnlyAColumnTwoMarkerOpensTheList) {
  CellExportBuilder column3;
  column3.Row(3, {"项目", "本月数", "行次", "本年累计数"}).Row(4, {"收入", "1", "2", "3"});
  EXPECT_EQ(Run(column3).output, Section(""));

  CellExportBuilder colon;
  colon.Row(3, {"项目", "行次：", "本月数", "本年累计数"}).Row(4, {"收入", "1", "2", "3"});
  EXPECT_EQ(Run(colon).output, Section(""));

  CellExportBuilder fancy;
  fancy.Row(3, {"项目", "　行 数　", "本月数", "本年累计数"}).Row(4, {"收入", "1", "2", "3"});
  EXPECT_EQ(Run(fancy).output, Section(MonthlyItem("1", "收入", "2", "3")));

  // 小⌒次 holds A1 A1 only across two characters: no marker.
  CellExportBuilder straddling;
  straddling.Row(3, {"项目", "小⌒次", "本月数", "本年累计数"}).Row(4, {"收入", "1", "2", "3"});
  EXPECT_EQ(Run(straddling).output, Section(""));
}

TEST_F(IncomeStatementSectionV1Test, MergedRangesAboveArePassedAndBelowEndTheList) {
  CellExportBuilder cells;
  cells.Merged(1, 1, 1, 4, "损益表")
      .Merged(2, 1, 3, 1, "项目")
      .Merged(2, 2, 3, 2, "行次")  // the marker itself is merged
      .Merged(2, 3, 2, 4, "金额")
      .RowFrom(3, 3, {"本月数", "本年累计数"})
      .Row(4, {"收入", "1", "2", "3"})
      .Merged(5, 1, 5, 4, "注：以上数据未经审计")
      .Row(6, {"成本", "2", "4", "5"})
      .Raw("<cell><value>unread</value></cell>");
  const test::SectionRun run = Run(cells);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(MonthlyItem("1", "收入", "2", "3")));
}

TEST_F(IncomeStatementSectionV1Test, ReadsAnExportDeclaredAsGbk) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<vok>"
      "<cell><row1>3</row1><col1>1</col1><row2>3</row2><col2>1</col2><value>项目</value></cell>"
      "<cell><row1>3</row1><col1>2</col1><row2>3</row2><col2>2</col2><value>栏　次</value></cell>"
      "<cell><row1>4</row1><col1>1</col1><row2>4</row2><col2>1</col2><value>一、营业收入</value></cell>"
      "<cell><row1>4</row1><col1>2</col1><row2>4</row2><col2>2</col2><value>1</value></cell>"
      "<cell><row1>4</row1><col1>3</col1><row2>4</row2><col2>3</col2><value>１２３</value></cell>"
      "<cell><row1>4</row1><col1>4</col1><row2>4</row2><col2>4</col2><value></value></cell>"
      "</vok>";
  test::WriteFile(folder_ / "gbk.xml", test::Gbk(xml));
  const test::SectionRun run = test::RunWriter(WriteIncomeStatementSectionV1, folder_ / "gbk.xml");
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(MonthlyItem("1", "一、营业收入", "１２３", "0.00")));
}

TEST_F(IncomeStatementSectionV1Test, CoordinatesReadByTheLeadingIntegerRule) {
  CellExportBuilder cells;
  cells.Raw("<cell><row1> 3</row1><col1>2 cols</col1><row2>3rd</row2><col2>+2</col2>"
            "<value>行次</value></cell>")
      .Raw("<cell><row1>4</row1><col1> 1</col1><row2>4.0</row2><col2>1x</col2>"
           "<value>收入</value></cell>")
      .RowFrom(4, 2, {"1", "2", "3"})
      // An empty or non-numeric row1 reads as 0: above the list, passed over.
      .Raw("<cell><row1></row1><col1>1</col1><row2>0</row2><col2>1</col2><value>x</value></cell>")
      .Raw("<cell><row1>abc</row1><col1>1</col1><row2>5</row2><col2>4</col2><value>y</value></cell>");
  const test::SectionRun run = Run(cells);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(MonthlyItem("1", "收入", "2", "3")));
}

}  // namespace
}  // namespace vok
