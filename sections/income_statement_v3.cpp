// The income statement of the financial templates: monthly items down to a
// supplementary-information heading in column 1, then, from the second row
// below the heading, numbered supplementary items with the year's and the
// prior year's amounts. The header row gives the line-number column and the
// row width.
#include <string>

#include "request/messages.h"
#include "sections/cell_text.h"
#include "sections/row_scan.h"
#include "sections/section_run.h"
#include "sections/section_writers.h"

namespace vok {
namespace {

// Before any heading, no row is supplementary.
constexpr std::int64_t kNoSupplementaryStartRow = 20000;

struct IncomeStatementLists {
  std::string main_items;
  std::string supplementary_items;
  std::int64_t supplementary_count = 0;
};

// The supplementary row's own line number is not read: the items are
// numbered 1, 2, 3 in the order written.
void ReadSupplementaryRow(const CellGrid& grid, std::int64_t anchor, std::int64_t line_column,
                          IncomeStatementLists& lists) {
  const std::int64_t name_at = anchor + line_column - 2;
  ItemTexts item;
  item.name = CleanedText(grid.Value(name_at));
  if (item.name.empty()) return;
  item.line_number = std::to_string(++lists.supplementary_count);
  item.first_amount = AmountText(grid.Value(name_at + 2));
  item.second_amount = AmountText(grid.Value(name_at + 3));
  AppendYearOnYearIncomeItem(lists.supplementary_items, item);
}

void ScanWithSupplement(const CellGrid& grid, IncomeStatementLists& lists) {
  HeaderRow header;
  std::int64_t supplementary_start_row = kNoSupplementaryStartRow;
  for (std::int64_t k = 0; k < grid.size(); ++k) {
    const CellRecord record = grid.Record(k);
    // Only a marker above the current first data row counts: the first
    // marker row found stays the header row.
    if (record.row1 < header.first_data_row && !record.IsMergedRange() &&
        IsHeaderMarker(record.value)) {
      header.NoteMarker(record);
    }
    header.NoteRowWidth(record);
    if (record.row1 < supplementary_start_row && record.col1 == 1 &&
        IsSupplementaryHeading(record.value)) {
      supplementary_start_row = std::int64_t{record.row1} + 2;
    }
    if (record.row1 < header.first_data_row || record.col1 != 1) continue;

    // The heading's own row and the column headings below it are no data.
    const bool main_row = record.row1 < supplementary_start_row - 2;
    if (!main_row && record.row1 < supplementary_start_row) continue;
    // Merged ranges elsewhere are passed over; one inside a data row ends
    // the lists there.
    if (!RowHasOnlySingleCells(grid, k, header.row_width)) return;
    if (main_row) {
      if (auto item = ReadItem(grid, k, header.first_marker_column, ItemName::kRequired)) {
        AppendMonthlyIncomeItem(lists.main_items, *item);
      }
    } else {
      ReadSupplementaryRow(grid, k, header.first_marker_column, lists);
    }
    k += RowAdvance(header.row_width) - 1;
  }
}

std::string GatherItemsWithSupplement(const CellGrid& grid) {
  IncomeStatementLists lists;
  ScanWithSupplement(grid, lists);
  return lists.main_items + kIncomeDetailListClose + kIncomeSupplementaryOpen +
         lists.supplementary_items + kIncomeSupplementaryClose + kIncomeSectionClose;
}

}  // namespace

std::int32_t WriteIncomeStatementSectionV3(const std::string& export_path, std::string& output,
                                           std::int32_t year, std::int32_t period,
                                           MessageBuffer& message) {
  return RunSectionWriter(
      "WriteIncomeStatementSectionV3", export_path, output, message, msg::kIncomeExportUnreadable,
      [&](std::string& out) { AppendIncomeStatementHead(out, year, period); },
      GatherItemsWithSupplement);
}

}  // namespace vok
