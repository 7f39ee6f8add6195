// What became of each row of a batch, as the summary tells it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vok::tool {

enum class RowResult {
  kMade,     // the export wrote the document in this run
  kKept,     // made and passed its checks in an earlier run (--resume)
  kFailed,   // the export failed
  kBadRow,   // the row was skipped: the accounts file is wrong there
  kNotDone,  // the batch was stopped before it came to the row
};

// kNotChecked: none failed, but a statement's layout fits no rules.
enum class ChecksOutcome { kNone, kPassed, kFailed, kNotChecked };

struct RowOutcome {
  std::size_t line = 0;  // in the accounts file
  std::string account, year, period;
  std::string export_name;  // "GetReportDate" or "GetReportDateV2"
  RowResult result = RowResult::kNotDone;
  std::string message;  // the library's message, or what is wrong with the row
  ChecksOutcome checks = ChecksOutcome::kNone;
  std::string failed_check;  // the name of the first check that failed (or was not checked)
  std::vector<std::string> failed_checks;  // every failed check's title and details, GBK
  double seconds = 0;        // the export and the checks
  std::string page;          // with --html: the document's page in the folder, or ""
};

// "made", "kept", "FAILED", "bad row", "not done".
const char* ResultWord(RowResult result);
// "passed", "FAILED: <name>", "not checked: <name>", or "" where nothing
// was checked.
std::string ChecksText(const RowOutcome& row);

// "1.2": the seconds of a row, as the summary and the progress show them.
std::string SecondsText(double seconds);

// 0 when every row was made and passed its checks, 3 when all were made but
// a check failed, 5 when none failed but a document was not checked, 1 when
// an export failed or a row was bad (or one was not done, which only a
// stopped batch leaves, whose status is its own).
int BatchExitStatus(const std::vector<RowOutcome>& rows);

}  // namespace vok::tool
