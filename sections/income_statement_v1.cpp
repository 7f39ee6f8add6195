// The income statement in the fixed monthly layout: item name, line number,
// amount for the month and cumulative amount, four cells per row.
#include "request/messages.h"
#include "sections/row_scan.h"
#include "sections/section_run.h"
#include "sections/section_writers.h"

namespace vok {
namespace {

constexpr std::int64_t kRowWidth = 4;
constexpr std::int64_t kLineNumberColumn = 2;

std::string GatherMonthlyItems(const CellGrid& grid) {
  std::string items;
  ScanFixedWidthRows(grid, kRowWidth, [&](std::int64_t anchor) {
    if (auto item = ReadItem(grid, anchor, kLineNumberColumn, ItemName::kMayBeEmpty)) {
      AppendMonthlyIncomeItem(items, *item);
    }
  });
  return items + kIncomeDetailListClose + kIncomeSectionClose;
}

}  // namespace

std::int32_t WriteIncomeStatementSectionV1(const std::string& export_path, std::string& output,
                                           std::int32_t year, std::int32_t period,
                                           MessageBuffer& message) {
  return RunSectionWriter(
      "WriteIncomeStatementSectionV1", export_path, output, message, msg::kIncomeExportUnreadable,
      [&](std::string& out) { AppendIncomeStatementHead(out, year, period); },
      GatherMonthlyItems);
}

}  // namespace vok
