#include "batch/outcome.h"

#include <cstdio>

#include "exit_codes.h"

namespace vok::tool {

const char* ResultWord(RowResult result) {
  switch (result) {
    case RowResult::kMade: return "made";
    case RowResult::kKept: return "kept";
    case RowResult::kFailed: return "FAILED";
    case RowResult::kBadRow: return "bad row";
    case RowResult::kToDo: break;
  }
  return "to do";
}

std::string ResultText(const RowOutcome& row) {
  if (row.result != RowResult::kToDo || row.earlier.result.empty()) return ResultWord(row.result);
  return "to do (" + row.earlier.result + ")";
}

std::string MessageText(const RowOutcome& row) {
  if (row.superseded.empty()) return row.message;
  const std::string what =
      row.result == RowResult::kMade ? "no current filing that passed its checks"
                                     : "no current filing";
  const std::string earlier =
      row.superseded_moved ? "the earlier document is now " + row.superseded
                           : "the earlier document could not be set aside: " + row.superseded;
  return (row.message.empty() ? "" : row.message + "; ") + what + ", " + earlier;
}

std::string ChecksText(const RowOutcome& row) {
  switch (row.checks) {
    case ChecksOutcome::kPassed: return "passed";
    case ChecksOutcome::kFailed: return "FAILED: " + row.failed_check;
    case ChecksOutcome::kNotChecked: return "not checked: " + row.failed_check;
    case ChecksOutcome::kNone: break;
  }
  return "";
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

int BatchExitStatus(const std::vector<RowOutcome>& rows) {
  bool check_failed = false, not_checked = false;
  for (const RowOutcome& row : rows) {
    const bool made = row.result == RowResult::kMade || row.result == RowResult::kKept;
    if (!made) return kExitExportFailed;
    if (row.checks == ChecksOutcome::kNotChecked) {
      not_checked = true;
    } else if (row.checks != ChecksOutcome::kPassed) {
      check_failed = true;
    }
  }
  if (check_failed) return kExitCheckFailed;
  return not_checked ? kExitNotChecked : kExitSuccess;
}

}  // namespace vok::tool
