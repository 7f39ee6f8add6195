// Files that are busy for a moment. On Windows a virus scanner, an indexer
// or a viewer that has just opened a file makes a delete, a copy, a read or
// a replacement of it fail with a sharing or lock violation for a short
// while; programs that share files with them retry such failures briefly
// before giving up. Both platform layers' file operations do it here.
#pragma once

#include <cstdint>

#include "platform/deadline.h"

namespace vok::platform {

// About a second in all, in pauses that start short and double.
inline constexpr std::uint32_t kBusyRetryBudgetMs = 1000;
inline constexpr std::uint32_t kBusyRetryFirstPauseMs = 5;

// Runs `attempt` until it succeeds, fails in a way `busy` (asked right
// after the failed attempt) does not call a passing one, or the budget is
// spent. The error of the last attempt is left as it was.
template <typename Attempt, typename Busy>
bool RetryWhileBusy(Attempt&& attempt, Busy&& busy) {
  const Deadline budget(kBusyRetryBudgetMs);
  std::uint32_t pause = kBusyRetryFirstPauseMs;
  for (;;) {
    if (attempt()) return true;
    if (!busy() || !budget.Pause(pause)) return false;
    pause *= 2;
  }
}

}  // namespace vok::platform
