// The income statement of year and prior-year amounts, for a template the
// caller chooses: the header row gives the line-number column and the row
// width, and every item stands in the SB_SYB_BCZL block.
#include "request/messages.h"
#include "sections/row_scan.h"
#include "sections/section_run.h"
#include "sections/section_writers.h"

namespace vok {
namespace {

std::string GatherYearOnYearItems(const CellGrid& grid) {
  std::string items = kIncomeSupplementaryOpen;
  ScanHeaderRowLayout(grid, [&](std::int64_t anchor, const HeaderRow& header) {
    if (auto item = ReadItem(grid, anchor, header.first_marker_column, ItemName::kRequired)) {
      AppendYearOnYearIncomeItem(items, *item);
    }
  });
  return items + kIncomeSupplementaryClose + kIncomeDetailListClose + kIncomeSectionClose;
}

}  // namespace

std::int32_t WriteIncomeStatementSectionV2(const std::string& export_path, std::string& output,
                                           std::int32_t year, std::int32_t period,
                                           MessageBuffer& message) {
  return RunSectionWriter(
      "WriteIncomeStatementSectionV2", export_path, output, message, msg::kIncomeExportUnreadable,
      [&](std::string& out) { AppendIncomeStatementHead(out, year, period); },
      GatherYearOnYearItems);
}

}  // namespace vok
