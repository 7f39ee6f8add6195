// A trace read while a call writes it: a last line still being written is
// read again until it is whole, for a moment only.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "output.h"

namespace vok::tool {
namespace {

// What the file holds at each read after the first; nothing: unreadable.
std::vector<std::optional<std::string>> later_reads;
std::size_t reads = 0;

std::optional<std::string> ScriptedRead(const std::string& path) {
  EXPECT_EQ(path, "trace.log");
  const std::size_t at = reads++;
  return at < later_reads.size() ? later_reads[at] : later_reads.back();
}

TEST(TraceRead, ALineBeingWrittenIsReadAgainUntilWholeForAMomentOnly) {
  struct Case {
    const char* what;
    std::string first;
    std::vector<std::optional<std::string>> later;
    std::string read;
    std::size_t reads;  // after the first
  };
  const Case cases[] = {
      {"whole at once", "a\nb\n", {"never asked"}, "a\nb\n", 0},
      {"empty", "", {"never asked"}, "", 0},
      {"whole at the second read", "a\nb", {"a\nb c\n"}, "a\nb c\n", 1},
      {"whole at the third", "a\nb", {"a\nb c", "a\nb c\nd\n"}, "a\nb c\nd\n", 2},
      {"moved away meanwhile, a fresh file", "a\nb", {"", "c\n"}, "", 1},
      {"unreadable meanwhile", "a\nb", {std::nullopt}, "a\nb", 1},
  };
  for (const Case& c : cases) {
    later_reads = c.later;
    reads = 0;
    EXPECT_EQ(WithLastLineWritten(c.first, "trace.log", 200, ScriptedRead), c.read) << c.what;
    EXPECT_EQ(reads, c.reads) << c.what;
  }
}

TEST(TraceRead, ALineNeverFinishedIsGivenUpAfterTheBudget) {
  later_reads = {"a\nb"};
  reads = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WithLastLineWritten("a\nb", "trace.log", 100, ScriptedRead), "a\nb");
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  EXPECT_GE(ms, 100);
  EXPECT_LT(ms, 1000);
  EXPECT_GE(reads, 3u);
}

}  // namespace
}  // namespace vok::tool
