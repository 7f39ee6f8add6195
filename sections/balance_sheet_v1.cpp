// The balance sheet in the fixed two-sided layout: each data row is eight
// cells, assets in columns 1-4 and liabilities and equity in columns 5-8,
// with the line numbers in columns 2 and 6.
#include "request/messages.h"
#include "sections/balance_sheet_writers.h"
#include "sections/row_scan.h"
#include "sections/section_run.h"
#include "sections/section_writers.h"

namespace vok {
namespace {

constexpr std::int64_t kRowWidth = 8;
constexpr std::int64_t kLeftLineNumberColumn = 2;
constexpr std::int64_t kRightLineNumberColumn = 6;

// A half is written whenever its line number is there, even without a name.
std::string GatherTwoSidedItems(const CellGrid& grid) {
  std::string left;
  std::string right;
  ScanFixedWidthRows(grid, kRowWidth, [&](std::int64_t anchor) {
    if (auto item = ReadItem(grid, anchor, kLeftLineNumberColumn, ItemName::kMayBeEmpty)) {
      AppendBalanceSheetItem(left, *item);
    }
    if (auto item = ReadItem(grid, anchor, kRightLineNumberColumn, ItemName::kMayBeEmpty)) {
      AppendBalanceSheetItem(right, *item);
    }
  });
  return left + right + kBalanceSheetTail;
}

}  // namespace

std::int32_t WriteBalanceSheetSectionV1(const std::string& export_path, std::string& output,
                                        std::int32_t /*year*/, std::int32_t /*period*/,
                                        MessageBuffer& message, const platform::LocalDate& today) {
  return RunSectionWriter(
      "WriteBalanceSheetSectionV1", export_path, output, message, msg::kBalanceExportUnreadable,
      [&](std::string& out) { AppendBalanceSheetHead(out, today); }, GatherTwoSidedItems);
}

std::int32_t WriteBalanceSheetSectionV1(const std::string& export_path, std::string& output,
                                        std::int32_t year, std::int32_t period,
                                        MessageBuffer& message) {
  return WriteBalanceSheetSectionV1(export_path, output, year, period, message,
                                    platform::Today());
}

}  // namespace vok
