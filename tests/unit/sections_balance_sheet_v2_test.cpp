// The balance sheet whose columns come from its header row: line-number
// columns from the markers, cells per row from the header row's last column.
#include <gtest/gtest.h>

#include "request/messages.h"
#include "sections_test_cells.h"

namespace vok {
namespace {

using test::BalanceHead;
using test::BalanceItem;
using test::CellExportBuilder;
using test::Document;
using test::kBalanceEnd;

class BalanceSheetSectionV2Test : public ::testing::Test {
 protected:
  test::SectionRun RunV2(const std::string& path) {
    return test::RunWriter(test::BalanceSheetV2On(test::kFilingDay), path);
  }
  test::SectionRun RunV1(const std::string& path) {
    return test::RunWriter(test::BalanceSheetV1On(test::kFilingDay), path);
  }
  test::SectionRun RunV2(const CellExportBuilder& cells) { return RunV2(cells.WriteTo(folder_)); }

  static CellExportBuilder EightColumns() {
    CellExportBuilder cells;
    cells.Row(3, {"资产", "行次", "年初数", "期末数", "负债和所有者权益", "行次", "年初数", "期末数"});
    return cells;
  }
  static std::string Section(const std::string& items) {
    return Document(BalanceHead("20240105") + items + kBalanceEnd);
  }
  static std::string Failed() { return Document(BalanceHead("20240105")); }

  test::TempFolder folder_;
};

TEST_F(BalanceSheetSectionV2Test, AnEightColumnSheetGivesTheFixedLayoutsSection) {
  const std::string path = test::FixturePath("balance_sheet_two_sided.xml");
  const test::SectionRun run = RunV2(path);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, Document(test::ExpectedSection("balance_sheet_two_sided.expected")));
  EXPECT_EQ(run.output, RunV1(path).output);
}

TEST_F(BalanceSheetSectionV2Test, DiffersFromTheFixedLayoutWhereItsRulesDo) {
  // An empty item name: the fixed layout writes the item, this one does not.
  CellExportBuilder empty_name = EightColumns();
  empty_name.Row(4, {"", "1", "10", "20", "短期借款", "68", "30", "40"});
  const std::string empty_name_path = empty_name.WriteTo(folder_, "empty_name.xml");
  EXPECT_EQ(RunV1(empty_name_path).output, Section(BalanceItem("1", "", "10", "20") +
                                                   BalanceItem("68", "短期借款", "30", "40")));
  EXPECT_EQ(RunV2(empty_name_path).output, Section(BalanceItem("68", "短期借款", "30", "40")));

  // An item name merged over two rows: the fixed layout takes the cells by
  // position and never looks at it, this one ends the list before that row.
  CellExportBuilder merged_in_row = EightColumns();
  merged_in_row.Row(4, {"货币资金", "1", "10", "20", "短期借款", "68", "30", "40"})
      .Row(5, {"存货", "2", "50", "60"})
      .Merged(5, 5, 6, 5, "其他负债")
      .RowFrom(5, 6, {"75", "70", "80"})
      .Row(6, {"固定资产", "3", "90", "99", "", "", "", ""});
  const std::string merged_path = merged_in_row.WriteTo(folder_, "merged_in_row.xml");
  EXPECT_EQ(RunV1(merged_path).output,
            Section(BalanceItem("1", "货币资金", "10", "20") + BalanceItem("2", "存货", "50", "60") +
                    BalanceItem("3", "固定资产", "90", "99") +
                    BalanceItem("68", "短期借款", "30", "40") +
                    BalanceItem("75", "其他负债", "70", "80")));
  const test::SectionRun v2 = RunV2(merged_path);
  EXPECT_EQ(v2.result, 0);
  EXPECT_EQ(v2.output, Section(BalanceItem("1", "货币资金", "10", "20") +
                               BalanceItem("68", "短期借款", "30", "40")));

  // The fixed layout stops at an empty line number; this one reads the item
  // name too, so a name cell without its value fails here only.
  CellExportBuilder nameless = EightColumns();
  nameless.Row(4, {"货币资金", "1", "10", "20"})
      .Raw("<cell><row1>4</row1><col1>5</col1><row2>4</row2><col2>5</col2></cell>")
      .RowFrom(4, 6, {"", "", ""});
  const std::string nameless_path = nameless.WriteTo(folder_, "nameless.xml");
  EXPECT_EQ(RunV1(nameless_path).output, Section(BalanceItem("1", "货币资金", "10", "20")));
  const test::SectionRun nameless_v2 = RunV2(nameless_path);
  EXPECT_EQ(nameless_v2.result, -1);
  EXPECT_EQ(nameless_v2.message, msg::kBalanceExportUnreadable);
  EXPECT_EQ(nameless_v2.output, Failed());

  // A marker written as a merged range: only the fixed layout sees it.
  CellExportBuilder merged_marker;
  merged_marker.Cell(3, 1, 3, 1, "资产")
      .Merged(3, 2, 3, 3, "行次")
      .Cell(3, 4, 3, 8, "期末数")
      .Row(4, {"货币资金", "1", "10", "20", "", "", "", ""});
  const std::string marker_path = merged_marker.WriteTo(folder_, "merged_marker.xml");
  EXPECT_EQ(RunV1(marker_path).output, Section(BalanceItem("1", "货币资金", "10", "20")));
  EXPECT_EQ(RunV2(marker_path).output, Section(""));
}

TEST_F(BalanceSheetSectionV2Test, LearnsColumnsAndWidthFromTheHeaderRow) {
  // Nine columns: a sequence column, then name, line number and two amounts
  // for each half; the markers stand in columns 3 and 7.
  CellExportBuilder cells;
  cells.Merged(1, 1, 1, 9, "资产负债表")
      .Row(2, {"序", "资产", "行　次", "年初余额", "期末余额", "负债", "行 次", "年初余额", "期末余额"})
      .Row(3, {"1", "货币资金", "1", "100.00", "120.00", "短期借款", "32", "", "5.00"})
      .Row(4, {"2", "应收账款", "", "1", "1", "应付账款", "33", "7.00", "8.00"})
      .Row(5, {"3", "存货", "9", "-", "30.00", "", "34", "1", "1"});
  EXPECT_EQ(RunV2(cells).output,
            Section(BalanceItem("1", "货币资金", "100.00", "120.00") +
                    BalanceItem("9", "存货", "-", "30.00") +
                    BalanceItem("32", "短期借款", "0.00", "5.00") +
                    BalanceItem("33", "应付账款", "7.00", "8.00")));

  // A third marker takes over the right half; the left stays with the first.
  CellExportBuilder three_markers;
  three_markers.Row(2, {"资产", "行次", "年初", "期末", "负债", "行次", "年初", "期末", "权益", "栏次",
                        "年初", "期末"})
      .Row(3, {"货币资金", "1", "10", "20", "短期借款", "30", "30", "40", "实收资本", "50", "50", "60"});
  EXPECT_EQ(RunV2(three_markers).output, Section(BalanceItem("1", "货币资金", "10", "20") +
                                                 BalanceItem("50", "实收资本", "50", "60")));

  // The header row's last record is a merged range ending in column 8.
  CellExportBuilder merged_last;
  merged_last.Row(3, {"资产", "行次", "年初数", "期末数", "负债", "行次"})
      .Merged(3, 7, 3, 8, "金额")
      .Row(4, {"货币资金", "1", "10", "20", "短期借款", "68", "30", "40"})
      .Row(5, {"存货", "2", "50", "60", "", "", "", ""});
  EXPECT_EQ(RunV2(merged_last).output,
            Section(BalanceItem("1", "货币资金", "10", "20") + BalanceItem("2", "存货", "50", "60") +
                    BalanceItem("68", "短期借款", "30", "40")));
}

TEST_F(BalanceSheetSectionV2Test, ASingleMarkerReadsTheRightHalfThreeThousandColumnsOn) {
  CellExportBuilder short_export;
  short_export.Row(3, {"资产", "行次", "年初数", "期末数"}).Row(4, {"货币资金", "1", "10", "20"});
  const test::SectionRun failed = RunV2(short_export);
  EXPECT_EQ(failed.result, -1);
  EXPECT_EQ(failed.message, msg::kBalanceExportUnreadable);
  EXPECT_EQ(failed.output, Failed());

  // Long enough for position anchor + 2999 to exist: that (empty) cell is
  // the right line number, and the section completes.
  CellExportBuilder long_export;
  long_export.Row(3, {"资产", "行次", "年初数", "期末数"}).Row(4, {"货币资金", "1", "10", "20"});
  for (int i = 0; i < 2996; ++i) long_export.Cell(5 + i, 2, 5 + i, 2, "");
  const test::SectionRun run = RunV2(long_export);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(BalanceItem("1", "货币资金", "10", "20")));
}

TEST_F(BalanceSheetSectionV2Test, TheRowCheckReadsTheWholeRow) {
  // A cell of the row without a coordinate child fails, even one the items
  // never use.
  CellExportBuilder missing = EightColumns();
  missing.Row(4, {"货币资金", "1", "10", "20", "短期借款", "68", "30"})
      .Raw("<cell><row1>4</row1><col1>8</col1><row2>4</row2><value>40</value></cell>");
  test::SectionRun run = RunV2(missing);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.output, Failed());

  // A row shorter than the header row at the end of the list fails.
  CellExportBuilder short_row = EightColumns();
  short_row.Row(4, {"货币资金", "1", "10", "20", "", ""});
  run = RunV2(short_row);
  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.message, msg::kBalanceExportUnreadable);

  // A merged range at or below the first data row outside any row ends the
  // list, and what follows it is never read.
  CellExportBuilder note = EightColumns();
  note.Row(4, {"货币资金", "1", "10", "20", "", "", "", ""})
      .Merged(5, 1, 5, 8, "注：")
      .Raw("<cell><value>unread</value></cell>");
  run = RunV2(note);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, Section(BalanceItem("1", "货币资金", "10", "20")));
}

TEST_F(BalanceSheetSectionV2Test, AHeaderRowWithoutWidthStillMovesOn) {
  // The header row's last record reads col2 as 0: the row width is 0 and the
  // scan goes on record by record, passing the other cells of each row over.
  CellExportBuilder cells;
  cells.Row(3, {"资产", "行次", "年初数", "期末数", "负债", "行次", "年初数"})
      .Raw("<cell><row1>3</row1><col1>8</col1><row2>3</row2><col2>none</col2>"
           "<value>期末数</value></cell>")
      .Row(4, {"货币资金", "1", "10", "20", "短期借款", "68", "30", "40"})
      .Row(5, {"存货", "2", "50", "60", "", "", "", ""});
  const test::SectionRun run = RunV2(cells);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output,
            Section(BalanceItem("1", "货币资金", "10", "20") + BalanceItem("2", "存货", "50", "60") +
                    BalanceItem("68", "短期借款", "30", "40")));
}

}  // namespace
}  // namespace vok
