// The balance sheet in the fixed two-sided layout (eight cells a row, line
// numbers in columns 2 and 6).
#include <gtest/gtest.h>

#include <cstdio>

#include "request/messages.h"
#include "sections_test_cells.h"

namespace vok {
namespace {

using test::BalanceHead;
using test::BalanceItem;
using test::CellExportBuilder;
using test::Document;
using test::kBalanceEnd;

class BalanceSheetSectionV1Test : public ::testing::Test {
 protected:
  test::SectionRun Run(const CellExportBuilder& cells) {
    return test::RunWriter(test::BalanceSheetV1On(test::kFilingDay), cells.WriteTo(folder_));
  }
  static CellExportBuilder WithHeader() {
    CellExportBuilder cells;
    cells.Merged(1, 1, 1, 8, "资产负债表")
        .Row(3, {"资产", "行次", "年初数", "期末数", "负债和所有者权益", "行次", "年初数", "期末数"});
    return cells;
  }
  static std::string Section(const std::string& items) {
    return Document(BalanceHead("20240105") + items + kBalanceEnd);
  }
  static std::string Failed() { return Document(BalanceHead("20240105")); }

  test::TempFolder folder_;
};

TEST_F(BalanceSheetSectionV1Test, WritesARealisticSheetLeftItemsFirst) {
  const test::SectionRun run = test::RunWriter(test::BalanceSheetV1On(test::kFilingDay),
                                               test::FixturePath("balance_sheet_two_sided.xml"));
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, Document(test::ExpectedSection("balance_sheet_two_sided.expected")));
}

TEST_F(BalanceSheetSectionV1Test, EachHalfStandsOnItsOwnLineNumber) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"流动资产：", "", "", "", "短期借款", "68", "100", "200"})
      .Row(5, {"", "1", "", "", "", "", "", ""})
      .Row(6, {"货币资金", "2", "3", "4", "", " ", "9", "9"});
  EXPECT_EQ(Run(cells).output,
            Section(BalanceItem("1", "", "0.00", "0.00") + BalanceItem("2", "货币资金", "3", "4") +
                    BalanceItem("68", "短期借款", "100", "200")));
}

TEST_F(BalanceSheetSectionV1Test, TheNextAnchorIsEightPositionsOnWithoutLookingBetween) {
  // The cells after an anchor are taken by position: a merged range or a
  // column-1 cell among them is neither an end nor an anchor.
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"存货", "", ""})
      .Merged(4, 1, 5, 1, "当作金额")
      .Row(4, {"x", "", "", ""})
      .Row(5, {"固定资产", "39", "600", "585", "实收资本", "115", "800", "800"});
  EXPECT_EQ(Run(cells).output, Section(BalanceItem("39", "固定资产", "600", "585") +
                                       BalanceItem("115", "实收资本", "800", "800")));
}

TEST_F(BalanceSheetSectionV1Test, AShortLastRowFailsOnlyWhereAPositionIsMissing) {
  CellExportBuilder six = WithHeader();
  six.Row(4, {"货币资金", "1", "10", "20", "短期借款", ""});
  test::SectionRun run = Run(six);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(BalanceItem("1", "货币资金", "10", "20")));

  CellExportBuilder six_with_line = WithHeader();
  six_with_line.Row(4, {"货币资金", "1", "10", "20", "短期借款", "68"});
  run = Run(six_with_line);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.message, msg::kBalanceExportUnreadable);
  EXPECT_EQ(run.output, Failed());

  // The anchor is the last record: its left line number does not exist.
  CellExportBuilder lone = WithHeader();
  lone.Row(4, {"货币资金"});
  run = Run(lone);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.output, Failed());
}

TEST_F(BalanceSheetSectionV1Test, MarkersCountInColumnTwoOnlyMergedOrNot) {
  const auto data = [](CellExportBuilder& cells) {
    cells.Row(4, {"货币资金", "1", "10", "20", "短期借款", "68", "30", "40"});
  };
  CellExportBuilder column3;
  column3.Row(3, {"资产", "年初数", "行次", "期末数", "负债", "年初数", "行次", "期末数"});
  data(column3);
  CellExportBuilder colon;
  colon.Row(3, {"资产", "行次:", "年初数", "期末数", "负债", "行次", "年初数", "期末数"});
  data(colon);
  for (const CellExportBuilder* cells : {&column3, &colon}) {
    const test::SectionRun run = Run(*cells);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.output, Section(""));
  }

  CellExportBuilder merged_marker;
  merged_marker.Cell(3, 1, 3, 1, "资产").Merged(2, 2, 3, 2, "　行　次 ");
  data(merged_marker);
  EXPECT_EQ(Run(merged_marker).output, Section(BalanceItem("1", "货币资金", "10", "20") +
                                               BalanceItem("68", "短期借款", "30", "40")));
}

TEST_F(BalanceSheetSectionV1Test, MergedRangesEndTheListFromTheFirstDataRowOn) {
  // Above the first data row: passed over.
  CellExportBuilder above = WithHeader();
  above.Merged(2, 5, 3, 8, "单位：元").Row(4, {"货币资金", "1", "10", "20", "", "", "", ""});
  EXPECT_EQ(Run(above).output, Section(BalanceItem("1", "货币资金", "10", "20")));

  // At the first data row: an empty list.
  CellExportBuilder at = WithHeader();
  at.Merged(4, 1, 4, 8, "流动资产").Row(5, {"货币资金", "1", "10", "20", "", "", "", ""});
  EXPECT_EQ(Run(at).output, Section(""));

  // Below it: the rows before stay, the rows after are not written, and a
  // record after the end that would fail is never read.
  CellExportBuilder below = WithHeader();
  below.Row(4, {"货币资金", "1", "10", "20", "", "", "", ""})
      .Merged(5, 3, 5, 4, "小计")
      .Row(6, {"存货", "2", "30", "40", "", "", "", ""})
      .Raw("<cell><value>no coordinates</value></cell>");
  const test::SectionRun run = Run(below);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(BalanceItem("1", "货币资金", "10", "20")));
}

TEST_F(BalanceSheetSectionV1Test, ARecordTheScanReadsWithoutAChildFails) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"货币资金", "1", "10", "20", "", "", "", ""})
      .Raw("<cell><row1>5</row1><col1>1</col1><row2>5</row2><value>存货</value></cell>");
  const test::SectionRun run = Run(cells);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.message, msg::kBalanceExportUnreadable);
  EXPECT_EQ(run.output, Failed());
}

TEST_F(BalanceSheetSectionV1Test, ALaterMarkerMovesTheFirstDataRow) {
  // A second header row (no column-1 cell) with a merged column heading: the
  // heading lies above the new first data row and does not end the list.
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"货币资金", "1", "10", "20", "", "", "", ""})
      .RowFrom(6, 2, {"栏 次"})
      .Merged(6, 3, 6, 4, "金额")
      .Row(7, {"固定资产", "39", "600", "585", "", "", "", ""});
  EXPECT_EQ(Run(cells).output, Section(BalanceItem("1", "货币资金", "10", "20") +
                                       BalanceItem("39", "固定资产", "600", "585")));

  // Without any marker rows from 10000 on still count as data.
  CellExportBuilder no_marker;
  no_marker.Row(9999, {"甲", "1", "1", "1", "", "", "", ""})
      .Row(10000, {"乙", "2", "2", "2", "", "", "", ""});
  EXPECT_EQ(Run(no_marker).output, Section(BalanceItem("2", "乙", "2", "2")));
}

TEST_F(BalanceSheetSectionV1Test, FilesOnTodayWhateverThePeriod) {
  CellExportBuilder cells = WithHeader();
  cells.Row(4, {"货币资金", "1", "10", "20", "", "", "", ""});
  const std::string path = cells.WriteTo(folder_);
  const test::SectionRun one = test::RunWriter(test::BalanceSheetV1On({2031, 11, 9}), path, 2007, 3);
  const test::SectionRun two = test::RunWriter(test::BalanceSheetV1On({2031, 11, 9}), path, 1999, 12);
  EXPECT_EQ(one.output, two.output);
  EXPECT_EQ(one.output,
            Document(BalanceHead("20311109") + BalanceItem("1", "货币资金", "10", "20") + kBalanceEnd));

  // The public writer reads the clock.
  const auto date_text = [](const platform::LocalDate& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", day.year, day.month, day.day);
    return std::string(text);
  };
  const std::string before = date_text(platform::Today());
  std::string output;
  char buffer[64] = {};
  MessageBuffer message(buffer);
  ASSERT_EQ(WriteBalanceSheetSectionV1(path, output, 2007, 3, message), 0);
  const std::string after = date_text(platform::Today());
  EXPECT_TRUE(output.find("<SB_ZCFZB_TBRQ>" + before + "<") != std::string::npos ||
              output.find("<SB_ZCFZB_TBRQ>" + after + "<") != std::string::npos)
      << output;
}

}  // namespace
}  // namespace vok
