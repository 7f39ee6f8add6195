#include "platform/busy_retry.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vok::platform {
namespace {

TEST(BusyRetry, RetriesOnlyWhatIsBusyAndForAboutASecond) {
  const struct {
    const char* what;
    int failures;  // attempts that fail before one succeeds (-1: all do)
    bool busy;
    bool succeeds;
    int fewest_attempts, most_attempts;
  } kCases[] = {
      {"free at once", 0, true, true, 1, 1},
      {"busy three times", 3, true, true, 4, 4},
      {"failing otherwise", -1, false, false, 1, 1},
      // Pauses of 5, 10, ... 320 ms and the rest of the second: nine tries,
      // fewer where a loaded machine spends the rest elsewhere.
      {"busy for good", -1, true, false, 7, 9},
  };
  for (const auto& c : kCases) {
    int attempts = 0;
    const auto start = std::chrono::steady_clock::now();
    const bool done = RetryWhileBusy(
        [&] {
          ++attempts;
          return c.failures >= 0 && attempts > c.failures;
        },
        [&] { return c.busy; });
    EXPECT_EQ(done, c.succeeds) << c.what;
    EXPECT_GE(attempts, c.fewest_attempts) << c.what;
    EXPECT_LE(attempts, c.most_attempts) << c.what;
    if (!c.succeeds && c.busy) {
      EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    }
  }
}

}  // namespace
}  // namespace vok::platform
