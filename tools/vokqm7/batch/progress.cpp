#include "batch/progress.h"

#include <cmath>

#include "language/language.h"

namespace vok::tool {
namespace {

std::string TwoDigits(long long n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string Document(const std::string& account, const std::string& year,
                     const std::string& period) {
  return account + " " + year + "-" + period;
}

}  // namespace

std::string FormatDuration(long long seconds) {
  if (seconds < 0) seconds = 0;
  const long long hours = seconds / 3600, minutes = seconds / 60 % 60;
  const std::string rest = TwoDigits(seconds % 60);
  return hours > 0 ? std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + rest
                   : std::to_string(minutes) + ":" + rest;
}

std::optional<long long> SecondsLeft(double seconds_spent, std::size_t accounts_made,
                                     std::size_t accounts_to_make, long long current_seconds) {
  if (accounts_made == 0) return std::nullopt;
  const double left = seconds_spent / static_cast<double>(accounts_made) *
                          static_cast<double>(accounts_to_make) -
                      static_cast<double>(current_seconds);
  return left > 0 ? std::llround(left) : 0;
}

std::string ProgressLine(const ProgressPoint& point) {
  std::string line =
      TrF("%s of %s done, ", std::to_string(point.done), std::to_string(point.total));
  const std::string document = Document(point.account, point.year, point.period);
  line += point.holder.empty()
              ? TrF("making %s", document)
              : TrF("%s waits for the installation, in use by %s", document, point.holder);
  if (point.stopping) line += Tr(" (stopping after it)");
  line += TrF(", %s elapsed", FormatDuration(point.elapsed));
  if (point.left && !point.stopping) {
    line += TrF(", about %s left", FormatDuration(*point.left));
  }
  return line;
}

std::string FinishedLine(std::size_t number, std::size_t total, const RowOutcome& row) {
  std::string what;
  switch (row.result) {
    case RowResult::kKept:
      what = TrF("kept from an earlier run, checks %s", ShownWords(ChecksText(row)));
      break;
    case RowResult::kMade:
      // Not checked has a sentence of its own, as "checks not checked" reads
      // badly in Chinese.
      what = row.checks == ChecksOutcome::kNotChecked
                 ? TrF("made, checks not checked: %s", row.failed_check)
                 : TrF("made, checks %s", ShownWords(ChecksText(row)));
      break;
    case RowResult::kFailed: what = TrF("%s FAILED: %s", row.export_name, row.message); break;
    case RowResult::kBadRow:
    case RowResult::kToDo:
    case RowResult::kNotInRun: what = ShownWords(ResultWord(row.result)); break;
  }
  if (row.result == RowResult::kMade || row.result == RowResult::kFailed) {
    what += TrF(" (%s s)", SecondsText(row.seconds));
  }
  return TrF("%s: %s",
             "[" + std::to_string(number) + "/" + std::to_string(total) + "] " +
                 Document(row.account, row.year, row.period),
             what);
}

}  // namespace vok::tool
