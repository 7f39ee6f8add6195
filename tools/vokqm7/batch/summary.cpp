#include "batch/summary.h"

#include <algorithm>
#include <iterator>

#include "batch/csv.h"
#include "platform/codepage.h"
#include "show/width.h"

namespace vok::tool {
namespace {

constexpr std::size_t kColumnCount = std::size(kSummaryColumns);

std::vector<std::string> Fields(const RowOutcome& row) {
  if (row.result == RowResult::kToDo && !row.earlier.result.empty()) {
    return {row.account,          row.year,
            row.period,           row.earlier.export_name,
            ResultText(row),      row.earlier.seconds,
            row.earlier.checks,   row.earlier.message,
            row.document};
  }
  const bool ran = row.result == RowResult::kMade || row.result == RowResult::kFailed;
  return {row.account,     row.year,
          row.period,      row.export_name,
          ResultText(row), ran ? SecondsText(row.seconds) : "",
          ChecksText(row), MessageText(row),
          row.document};
}

}  // namespace

std::vector<std::string> SummaryTable(const std::vector<RowOutcome>& rows) {
  std::vector<std::vector<std::string>> cells{{std::begin(kSummaryColumns),
                                               std::end(kSummaryColumns)}};
  for (const RowOutcome& row : rows) {
    cells.push_back(Fields(row));
    for (std::string& cell : cells.back()) cell = Printable(cell);
  }
  std::vector<int> widths(kColumnCount, 0);
  for (const std::vector<std::string>& line : cells) {
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      widths[c] = std::max(widths[c], DisplayWidth(line[c]));
    }
  }
  std::vector<std::string> lines;
  for (const std::vector<std::string>& line : cells) {
    std::string text;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      text += c + 1 == kColumnCount ? line[c] : PadRight(line[c], widths[c]) + "  ";
    }
    lines.push_back(text.substr(0, text.find_last_not_of(' ') + 1));
  }
  return lines;
}

std::string SummaryCsv(const std::vector<RowOutcome>& rows) {
  std::string gbk = CsvLine({std::begin(kSummaryColumns), std::end(kSummaryColumns)});
  for (const RowOutcome& row : rows) gbk += CsvLine(Fields(row));
  return "\xEF\xBB\xBF" + platform::GbkToUtf8(gbk);
}

std::string SummaryTotals(const std::vector<RowOutcome>& rows) {
  std::size_t passed = 0, kept = 0, check_failed = 0, not_checked = 0, failed = 0, bad = 0,
              to_do = 0;
  for (const RowOutcome& row : rows) {
    switch (row.result) {
      case RowResult::kKept: ++kept; [[fallthrough]];
      case RowResult::kMade:
        ++(row.checks == ChecksOutcome::kPassed       ? passed
           : row.checks == ChecksOutcome::kNotChecked ? not_checked
                                                      : check_failed);
        break;
      case RowResult::kFailed: ++failed; break;
      case RowResult::kBadRow: ++bad; break;
      case RowResult::kToDo: ++to_do; break;
    }
  }
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = count(rows.size(), "row", "rows") + ": " + std::to_string(passed) +
                     " made and passed their checks";
  if (kept > 0) text += " (" + std::to_string(kept) + " kept from an earlier run)";
  if (check_failed > 0) text += ", " + std::to_string(check_failed) + " failed a check";
  if (not_checked > 0) text += ", " + std::to_string(not_checked) + " not checked";
  if (failed > 0) text += ", " + count(failed, "export failed", "exports failed");
  if (bad > 0) text += ", " + count(bad, "bad row", "bad rows");
  if (to_do > 0) text += ", " + std::to_string(to_do) + " to do";
  return text;
}

}  // namespace vok::tool
