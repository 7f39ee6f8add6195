// The balance sheet whose shape comes from its header row: the first marker
// gives the left line-number column, the last later marker the right one,
// and the header row's last column the number of cells per row.
#include "request/messages.h"
#include "sections/balance_sheet_writers.h"
#include "sections/row_scan.h"
#include "sections/section_run.h"
#include "sections/section_writers.h"

namespace vok {
namespace {

// A half needs both its line number and its item name. The right half is
// read even when only one marker was found: its column then lies far beyond
// any real row, and the export fails.
std::string GatherHalvesFromHeaderRow(const CellGrid& grid) {
  std::string left;
  std::string right;
  ScanHeaderRowLayout(grid, [&](std::int64_t anchor, const HeaderRow& header) {
    if (auto item = ReadItem(grid, anchor, header.first_marker_column, ItemName::kRequired)) {
      AppendBalanceSheetItem(left, *item);
    }
    if (auto item = ReadItem(grid, anchor, header.later_marker_column, ItemName::kRequired)) {
      AppendBalanceSheetItem(right, *item);
    }
  });
  return left + right + kBalanceSheetTail;
}

}  // namespace

std::int32_t WriteBalanceSheetSectionV2(const std::string& export_path, std::string& output,
                                        std::int32_t /*year*/, std::int32_t /*period*/,
                                        MessageBuffer& message, const platform::LocalDate& today) {
  return RunSectionWriter(
      "WriteBalanceSheetSectionV2", export_path, output, message, msg::kBalanceExportUnreadable,
      [&](std::string& out) { AppendBalanceSheetHead(out, today); }, GatherHalvesFromHeaderRow);
}

std::int32_t WriteBalanceSheetSectionV2(const std::string& export_path, std::string& output,
                                        std::int32_t year, std::int32_t period,
                                        MessageBuffer& message) {
  return WriteBalanceSheetSectionV2(export_path, output, year, period, message,
                                    platform::Today());
}

}  // namespace vok
