#include "batch/progress.h"

#include <cmath>

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
  std::string line = std::to_string(point.done) + " of " + std::to_string(point.total) +
                     " done, ";
  const std::string document = Document(point.account, point.year, point.period);
  line += point.holder.empty()
              ? "making " + document
              : document + " waits for the installation, in use by " + point.holder;
  if (point.stopping) line += " (stopping after it)";
  line += ", " + FormatDuration(point.elapsed) + " elapsed";
  if (point.left && !point.stopping) line += ", about " + FormatDuration(*point.left) + " left";
  return line;
}

std::string FinishedLine(std::size_t number, std::size_t total, const RowOutcome& row) {
  std::string line = "[" + std::to_string(number) + "/" + std::to_string(total) + "] " +
                     Document(row.account, row.year, row.period) + ": ";
  switch (row.result) {
    case RowResult::kKept: line += "kept from an earlier run, checks " + ChecksText(row); break;
    case RowResult::kMade: line += "made, checks " + ChecksText(row); break;
    case RowResult::kFailed: line += row.export_name + " FAILED: " + row.message; break;
    case RowResult::kBadRow:
    case RowResult::kToDo: line += ResultWord(row.result); break;
  }
  if (row.result == RowResult::kMade || row.result == RowResult::kFailed) {
    line += " (" + SecondsText(row.seconds) + " s)";
  }
  return line;
}

}  // namespace vok::tool
