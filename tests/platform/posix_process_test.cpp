// Starting, waiting for and ending children. The children are this test
// executable in a child mode (child_mode.h) that records what it got.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/process.h"
#include "tests/platform/child_mode.h"
#include "tests/platform/posix_test_support.h"

namespace vok::platform {
namespace {

using Clock = std::chrono::steady_clock;
using platform_test::ReadUtf8;

std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The child's record: its fields in the order of child_mode.h.
struct Record {
  std::vector<std::string> fields;
  std::string Pid() const { return fields.at(0); }
  std::string Argc() const { return fields.at(1); }
  std::string Fds() const { return fields.at(2); }
  std::string Signals() const { return fields.at(3); }
  std::string Argv0() const { return fields.at(4); }
  std::string Argv1() const { return fields.at(5); }
  std::string Tail() const { return fields.at(6); }
};

std::optional<Record> ReadRecord(const std::string& file, std::chrono::seconds patience) {
  const auto deadline = Clock::now() + patience;
  while (!std::filesystem::exists(file)) {
    if (Clock::now() > deadline) return std::nullopt;
    ::usleep(10000);
  }
  Record record;
  std::string data = ReadUtf8(file);
  for (std::size_t at = 0, end; (end = data.find('\0', at)) != std::string::npos; at = end + 1) {
    record.fields.push_back(data.substr(at, end - at));
  }
  if (record.fields.size() != 7) return std::nullopt;
  return record;
}

// Ends a child that a failed assertion would otherwise leave running.
struct EndOnExit {
  std::optional<ChildProcess>& child;
  ~EndOnExit() {
    if (child) child->Terminate(0);
  }
};

class PosixProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    // A child that reached the tests instead of its child mode must not
    // start children of its own.
    if (std::getenv(test::kChildModeVariable) != nullptr) GTEST_SKIP() << "running as a child";
  }

  // Children started from now on run in `mode` (inherited environment).
  void ChildMode(const std::string& mode) {
    std::filesystem::remove(RecordFile());
    mode_.emplace(test::kChildModeVariable, mode);
    record_.emplace(test::kChildRecordVariable, RecordFile());
  }
  std::string RecordFile() const { return dir_ / "record"; }

  std::optional<Record> RunAndRecord(const std::string& commandLine) {
    ChildMode("record");
    std::optional<ChildProcess> child = ChildProcess::Start(commandLine);
    EndOnExit end{child};
    if (!child || child->Wait(10000) != WaitOutcome::kExited) return std::nullopt;
    return ReadRecord(RecordFile(), std::chrono::seconds(0));
  }

  static void ExpectNoChildrenLeft() {
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }

  platform_test::TempDir dir_;
  std::optional<platform_test::ScopedEnv> mode_;
  std::optional<platform_test::ScopedEnv> record_;
};

TEST_F(PosixProcess, TailIsOneArgumentByteForByte) {
  const std::string tail = "a\tb {c}  d \"q\" \xB9\xFA\xD5\x5C end ";
  const auto record = RunAndRecord(Quoted(SelfPath()) + " " + tail);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Argc(), "2");
  EXPECT_EQ(record->Argv0(), SelfPath());
  EXPECT_EQ(record->Argv1(), tail);
  EXPECT_EQ(record->Tail(), tail);
  ExpectNoChildrenLeft();
}

TEST_F(PosixProcess, OnlyTheProgramTokenAndOneBlankAreTakenOff) {
  const std::pair<std::string, std::string> cases[] = {
      {SelfPath() + "   three", "  three"}, {Quoted(SelfPath()) + "x y", "x y"},
      {SelfPath(), ""},                     {Quoted(SelfPath()), ""},
      {SelfPath() + " ", ""},
  };
  for (const auto& [line, tail] : cases) {
    const auto record = RunAndRecord(line);
    ASSERT_TRUE(record) << line;
    EXPECT_EQ(record->Argc(), "2") << line;
    EXPECT_EQ(record->Argv1(), tail) << line;
  }
}

TEST_F(PosixProcess, QuotedProgramPathWithBlanksAndGbkFolders) {
  const std::string folder = dir_ / ("with blank/" + platform_test::kUtf8GuoShuiShenBao + "/" +
                                     platform_test::kUtf8Cheng);
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink(SelfPath(), folder + "/tool");
  const auto record =
      RunAndRecord(Quoted(dir_.Path() + "\\with blank\\" + platform_test::kGbkGuoShuiShenBao +
                          "\\" + platform_test::kGbkCheng + "\\tool") +
                   " /batch");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Argv0(), folder + "/tool");
  EXPECT_EQ(record->Argv1(), "/batch");
}

TEST_F(PosixProcess, ChildGetsOnlyStandardDescriptorsAndDefaultSignals) {
  // A careless host: a descriptor without close-on-exec, a blocked and an
  // ignored signal.
  const int leaked = ::open("/dev/null", O_RDONLY);
  sigset_t block;
  sigset_t oldMask;
  sigemptyset(&block);
  sigaddset(&block, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &block, &oldMask);
  struct sigaction ignore {};
  struct sigaction oldPipe {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &oldPipe);
  const auto record = RunAndRecord(SelfPath());
  ::sigaction(SIGPIPE, &oldPipe, nullptr);
  ::sigprocmask(SIG_SETMASK, &oldMask, nullptr);
  ::close(leaked);

  ASSERT_TRUE(record);
  EXPECT_EQ(record->Fds(), "0,1,2");
  const std::string signals = record->Signals();
  const std::size_t slash = signals.find('/');
  ASSERT_NE(slash, std::string::npos);
  EXPECT_EQ(std::stoull(signals.substr(0, slash), nullptr, 16), 0u);
  // Standard signals 1-31 only: glibc's spawn helper leaves its internal
  // signals 32 and 33 ignored whatever the attributes say.
  EXPECT_EQ(std::stoull(signals.substr(slash + 1), nullptr, 16) & 0x7FFFFFFFu, 0u);
}

TEST_F(PosixProcess, WaitEndsWhenTheChildEndsWhateverItsExitCode) {
  ChildMode("exit:3");
  std::optional<ChildProcess> child = ChildProcess::Start(SelfPath());
  EndOnExit end{child};
  ASSERT_TRUE(child);
  EXPECT_EQ(child->Wait(std::nullopt), WaitOutcome::kExited);
  EXPECT_EQ(child->Wait(0), WaitOutcome::kExited);
  EXPECT_TRUE(child->Terminate(1));

  ChildMode("sleep:100");
  child = ChildProcess::Start(SelfPath());
  ASSERT_TRUE(child);
  const auto start = Clock::now();
  EXPECT_EQ(child->Wait(20000), WaitOutcome::kExited);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  ExpectNoChildrenLeft();
}

TEST_F(PosixProcess, WaitTimesOutThenTerminateEndsAndReaps) {
  ChildMode("sleep:30000");
  std::optional<ChildProcess> child = ChildProcess::Start(SelfPath());
  EndOnExit end{child};
  ASSERT_TRUE(child);
  const auto start = Clock::now();
  EXPECT_EQ(child->Wait(200), WaitOutcome::kTimedOut);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(195));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));

  ChildProcess moved = std::move(*child);
  EXPECT_TRUE(moved.Terminate(1));
  EXPECT_EQ(moved.Wait(0), WaitOutcome::kExited);
  ExpectNoChildrenLeft();
}

TEST_F(PosixProcess, DestructorReapsAChildThatHasEnded) {
  ChildMode("record");
  std::optional<ChildProcess> child = ChildProcess::Start(SelfPath());
  EndOnExit end{child};
  ASSERT_TRUE(child);
  const auto record = ReadRecord(RecordFile(), std::chrono::seconds(10));
  ASSERT_TRUE(record);
  const auto pid = static_cast<pid_t>(std::stol(record->Pid()));
  siginfo_t info{};
  // Until it is a zombie, without reaping it.
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
  child.reset();
  errno = 0;
  EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(PosixProcess, StartFailsForWhatCannotRun) {
  platform_test::WriteUtf8(dir_ / "plain", "not a program");
  ASSERT_EQ(::chmod((dir_ / "plain").c_str(), 0644), 0);
  const std::pair<std::string, int> cases[] = {
      {dir_ / "missing arg", ENOENT}, {Quoted(dir_ / "plain") + " x", EACCES},
      {dir_.Path(), EACCES},          {"", ENOENT},
  };
  for (const auto& [line, expected] : cases) {
    int error = 0;
    EXPECT_FALSE(ChildProcess::Start(line, &error)) << line;
    EXPECT_EQ(error, expected) << line;
  }
  ExpectNoChildrenLeft();
}

TEST_F(PosixProcess, DetachedChildRunsAndLeavesNothingToReap) {
  struct sigaction before {};
  ::sigaction(SIGCHLD, nullptr, &before);
  ChildMode("record");
  ASSERT_TRUE(StartDetached(Quoted(SelfPath()) + " login \xB9\xFA"));
  ExpectNoChildrenLeft();
  struct sigaction after {};
  ::sigaction(SIGCHLD, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);

  const auto record = ReadRecord(RecordFile(), std::chrono::seconds(10));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->Argv1(), "login \xB9\xFA");
  EXPECT_EQ(record->Fds(), "0,1,2");
}

TEST_F(PosixProcess, DetachedStartReportsTheOutcomeEvenWithSigchldIgnored) {
  // Ignoring SIGCHLD hides the intermediate child's exit status.
  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGCHLD, &ignore, &old), 0);
  const bool missing = StartDetached(dir_ / "missing").ok();
  ChildMode("record");
  const bool present = StartDetached(SelfPath()).ok();
  ::sigaction(SIGCHLD, &old, nullptr);
  EXPECT_FALSE(missing);
  EXPECT_TRUE(present);
  EXPECT_TRUE(ReadRecord(RecordFile(), std::chrono::seconds(10)));
  EXPECT_FALSE(StartDetached(dir_ / "missing"));
  ExpectNoChildrenLeft();
}

}  // namespace
}  // namespace vok::platform
