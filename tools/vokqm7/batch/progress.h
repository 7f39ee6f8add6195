// What the batch tells while it runs: a line redrawn on a terminal, or a
// plain line per account where stderr is a file (cron and CI logs).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "batch/outcome.h"

namespace vok::tool {

// "0:07", "12:34", "1:02:03".
std::string FormatDuration(long long seconds);

// The seconds still to go, from the accounts made so far in this run: their
// average times the accounts still to make (the one in progress among them),
// less what the one in progress has taken; nothing before the first is done.
std::optional<long long> SecondsLeft(double seconds_spent, std::size_t accounts_made,
                                     std::size_t accounts_to_make, long long current_seconds);

struct ProgressPoint {
  std::size_t done = 0, total = 0;  // rows finished, and all the rows to make
  std::string account, year, period;
  long long elapsed = 0;  // since the batch began
  std::optional<long long> left;
  std::string holder;  // who has the installation the call waits for, or ""
  bool stopping = false;  // Ctrl-C was pressed
};

// "3 of 12 done, making 105 2026-11, 0:42 elapsed, about 2:10 left".
std::string ProgressLine(const ProgressPoint& point);

// The plain line of a finished row: "[4/12] 105 2026-11: made, checks
// passed (1.2 s)".
std::string FinishedLine(std::size_t number, std::size_t total, const RowOutcome& row);

}  // namespace vok::tool
