// The trace file on Linux: private to its user, and moved to ".1" past its
// cap by one writer at a time, so that writers past the cap at once lose
// nothing but the oldest generation.
#include <gtest/gtest.h>

#include <fcntl.h>
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
    mode_t after;
  };
  // Others who may write it (a machine-wide trace) still may, but not read.
  for (const Case& c : {Case{"a new file", 0, 0600}, Case{"a file readable to all", 0644, 0600},
                        Case{"a file others may write", 0666, 0622},
                        Case{"a private file", 0600, 0600}}) {
    TempDir dir;
    const std::string path = dir / "trace.log";
    if (c.before != 0) {
      WriteUtf8(path, "earlier\n");
      ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
    }
    std::optional<TraceFile> file = TraceFile::Open(path, 1 << 20);
    ASSERT_TRUE(file) << c.what;
    EXPECT_TRUE(file->Append("line\n")) << c.what;
    EXPECT_EQ(ModeOf(path), c.after) << c.what;
  }
}

// In a folder others may write, the trace path may hold a link that sends
// the lines elsewhere or a pipe that no one reads: each is refused at once,
// says why, and whatever it points at stays as it was.
TEST(PosixTraceFile, RefusesALinkOrAnythingButAPlainFileWithoutWaiting) {
  struct Case {
    const char* what;
    std::optional<TraceRefusal> refusal;  // nothing: opened
  };
  const Case cases[] = {
      {"a plain file", std::nullopt},
      {"a symbolic link to a file", TraceRefusal::kLink},
      {"a symbolic link to nothing", TraceRefusal::kLink},
      {"a second name of a file", TraceRefusal::kLink},
      {"a pipe no one reads", TraceRefusal::kNotAFile},
      {"a pipe someone reads", TraceRefusal::kNotAFile},
      {"a folder", TraceRefusal::kNotAFile},
      {"a device", TraceRefusal::kNotAFile},
      {"no such folder", TraceRefusal::kCannotOpen},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string path = dir / "trace.log";
    const std::string target = dir / "elsewhere";
    const std::string what = c.what;
    int reader = -1;
    int made = 0;
    if (what == "a plain file") WriteUtf8(path, "earlier\n");
    if (what == "a symbolic link to a file" || what == "a second name of a file") {
      WriteUtf8(target, "kept");
    }
    if (what.rfind("a symbolic link", 0) == 0) made = ::symlink(target.c_str(), path.c_str());
    if (what == "a second name of a file") made = ::link(target.c_str(), path.c_str());
    if (what.rfind("a pipe", 0) == 0) made = ::mkfifo(path.c_str(), 0600);
    if (what == "a pipe someone reads") reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (what == "a folder") made = ::mkdir(path.c_str(), 0700);
    if (what == "a device") path = "/dev/null";
    if (what == "no such folder") path = dir / "missing/trace.log";
    ASSERT_EQ(made, 0) << c.what;

    TraceRefusal refusal = TraceRefusal::kCannotOpen;
    std::optional<TraceFile> file = TraceFile::Open(path, 1 << 20, &refusal);
    if (reader >= 0) ::close(reader);
    EXPECT_EQ(file.has_value(), !c.refusal) << c.what;
    EXPECT_EQ(c.refusal.value_or(refusal), refusal) << c.what;
    if (what.find("file") != std::string::npos && what != "a plain file") {
      EXPECT_EQ(ReadUtf8(target), "kept") << c.what;
    }
    if (what == "a symbolic link to nothing") {
      EXPECT_NE(::access(target.c_str(), F_OK), 0) << c.what << ": the link's target was made";
    }
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
