// The trace file on Linux: private to its user, and moved to ".1" past its
// cap by one writer at a time, so that writers past the cap at once lose
// nothing but the oldest generation.
#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "platform/trace_file.h"
#include "tests/platform/posix_test_support.h"

namespace vok::platform {
namespace {

using platform_test::ModeOf;
using platform_test::ReadUtf8;
using platform_test::TempDir;
using platform_test::WriteUtf8;

TEST(PosixTraceFile, IsForItsUserOnlyWhetherNewOrMadeReadableBefore) {
  struct Case {
    const char* what;
    mode_t before;  // 0: no file yet
  };
  for (const Case& c : {Case{"a new file", 0}, Case{"a file readable to all", 0644},
                        Case{"a file others may write", 0666}, Case{"a private file", 0600}}) {
    TempDir dir;
    const std::string path = dir / "trace.log";
    if (c.before != 0) {
      WriteUtf8(path, "earlier\n");
      ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
    }
    std::optional<TraceFile> file = TraceFile::Open(path, 1 << 20);
    ASSERT_TRUE(file) << c.what;
    EXPECT_TRUE(file->Append("line\n")) << c.what;
    EXPECT_EQ(ModeOf(path), 0600u) << c.what;
  }
}

// Several processes find the file past its cap at the same moment and each
// writes its lines: the old generation is kept whole in ".1" and every
// line written lands in the fresh file.
TEST(PosixTraceFile, WritersPastTheCapAtOnceKeepTheOldGenerationAndEveryNewLine) {
  constexpr int kWriters = 8;
  constexpr int kLines = 20;
  constexpr std::uint64_t kCap = 4096;
  for (int round = 0; round < 400; ++round) {
    TempDir dir;
    const std::string path = dir / "trace.log";
    const std::string old_generation(kCap + 100, 'o');
    WriteUtf8(path, old_generation);
    WriteUtf8(path + ".1", "the oldest generation");
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
      const pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        ::close(start[1]);
        char go;
        const bool started = ::read(start[0], &go, 1) == 0;  // all start when the pipe closes
        std::optional<TraceFile> file = TraceFile::Open(path, kCap);
        bool all = started && file.has_value();
        for (int i = 0; all && i < kLines; ++i) {
          all = file->Append("writer " + std::to_string(w) + " line " + std::to_string(i) + "\n");
        }
        ::_exit(all ? 0 : 1);
      }
      writers.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (pid_t pid : writers) {
      int status = 0;
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    }
    EXPECT_EQ(ReadUtf8(path + ".1"), old_generation) << "round " << round;
    std::istringstream lines(ReadUtf8(path));
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);) seen.insert(line);
    EXPECT_EQ(seen.size(), std::size_t{kWriters * kLines}) << "round " << round;
  }
}

}  // namespace
}  // namespace vok::platform
