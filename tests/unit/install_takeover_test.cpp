// Taking the installation over from a holder that left a record: what the
// next call may end and what it must wait for, tried as another local user
// would (the caller run as `nobody` where the tests run as root), with
// records planted, files removed and tools that will not end in time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "driver/install_lock.h"
#include "driver/report_tool.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "platform/program.h"
#include "request/message_buffer.h"
#include "support/test_support.h"

namespace vok {
namespace {

namespace fs = std::filesystem;
using platform::InstallLock;
using platform::InstallLockHolder;
using platform::LockOutcome;
using Outcome = InstallLocationLock::Outcome;

constexpr uid_t kNobody = 65534;

bool Running(const platform::ProcessIdentity& who) {
  return platform::RunningForMs(who).has_value();
}

// Runs `work` in a child process as `nobody`; its exit status.
int AsNobody(const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(dropped ? work() : 99);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

int OutcomeCode(Outcome outcome) { return outcome == Outcome::kHeld ? 0 : 1; }

class InstallTakeoverTest : public ::testing::Test {
 protected:
  InstallTakeoverTest() {
    // Another user must reach the installation to lock it.
    for (const std::string& folder : {install_.root() + "/..", install_.root(), install_.location()}) {
      ::chmod(folder.c_str(), 0755);
    }
    testing::SetInstallWaitLimitMs(400);
  }
  ~InstallTakeoverTest() override {
    testing::SetInstallWaitLimitMs(0);
    for (std::optional<platform::ChildProcess>& tool : tools_) {
      if (tool) tool->Terminate(0);
    }
    // Records of this installation, whoever wrote them.
    std::error_code ignored;
    for (const uid_t user : {::geteuid(), kNobody}) {
      fs::remove(RecordOf(user), ignored);
    }
  }

  std::string RecordOf(uid_t user) const {
    struct stat st {};
    ::stat(install_.location().c_str(), &st);
    char name[96];
    std::snprintf(name, sizeof name, "/tmp/vokqm7-holders-%u/%llx-%llx.holder", user,
                  static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    return name;
  }

  std::string Tool() const { return install_.library_location() + "\\vokwqm7.exe"; }

  // The installation's report tool, running long, as an orphan would.
  platform::ChildProcess& StartTool() {
    const test::ScopedEnv sleep("VOKWQM7_SLEEP_MS", "60000");
    tools_.push_back(platform::ChildProcess::Start(
        "\"" + install_.location() + "/vokwqm7.exe\" -LQM7_VOK{1 2026 x \"s\" \"w\" 0 }", nullptr,
        platform::ChildTie::kEndsWithHost));
    EXPECT_TRUE(tools_.back());
    return *tools_.back();
  }

  // Another program of this user: the test binary itself, sleeping.
  platform::ChildProcess& StartSleeper() {
    const test::ScopedEnv mode("VOKQM7_TEST_CHILD_MODE", "sleep:60000");
    tools_.push_back(platform::ChildProcess::Start(
        "\"" + fs::read_symlink("/proc/self/exe").string() + "\"", nullptr,
        platform::ChildTie::kEndsWithHost));
    EXPECT_TRUE(tools_.back());
    return *tools_.back();
  }

  // Leaves the record of a holder that died while `tool` ran: taken, the
  // tool published, let go without taking the record back.
  bool LeaveRecord(const platform::ProcessIdentity& tool, std::uint32_t group) const {
    std::optional<InstallLock> lock = InstallLock::ForFolder(install_.library_location());
    if (!lock || lock->TryAcquire() != LockOutcome::kTaken) return false;
    InstallLockHolder holder{4242, "C:\\client.exe", "2026-12-10 08:00:00.000", "GetReportDate"};
    holder.tool = tool;
    holder.tool_group = group;
    holder.tool_program = Tool();
    return lock->Publish(holder);
  }

  Outcome Take() const { return InstallLocationLock::Take(install_.library_location(), "test").outcome(); }

  test::TestInstallation install_;
  std::vector<std::optional<platform::ChildProcess>> tools_;
};

// Who wrote the record, what its tool is and who calls next: whether the
// call takes the installation, and whether the process the record names
// lives on and the record stays as it was.
TEST_F(InstallTakeoverTest, EndsOnlyItsOwnUsersReportToolAndNeverGoesOnWhenItCannot) {
  enum class Named { kCaller, kOtherProgram, kTool };
  enum class Who { kMe, kNobody };
  const struct {
    const char* name;
    Who writer;
    Named named;
    Who caller;
    Outcome outcome;
    bool survives;  // the named process still runs after the call
  } kCases[] = {
      {"a record naming the caller", Who::kMe, Named::kCaller, Who::kMe, Outcome::kHeld, true},
      {"a record naming a process that is no report tool", Who::kMe, Named::kOtherProgram,
       Who::kMe, Outcome::kHeld, true},
      {"another user's record naming my report tool", Who::kNobody, Named::kTool, Who::kMe,
       Outcome::kHeld, true},
      {"my orphaned tool, another user calls", Who::kMe, Named::kTool, Who::kNobody,
       Outcome::kTimedOut, true},
      {"my orphaned tool, I call", Who::kMe, Named::kTool, Who::kMe, Outcome::kHeld, false},
  };
  const bool root = ::geteuid() == 0;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    if (!root && (c.writer == Who::kNobody || c.caller == Who::kNobody)) {
      std::printf("skipped without root: %s\n", c.name);
      continue;
    }
    platform::ProcessIdentity named = platform::CurrentProcessIdentity();
    std::uint32_t group = 0;
    if (c.named != Named::kCaller) {
      platform::ChildProcess& child = c.named == Named::kTool ? StartTool() : StartSleeper();
      named = child.Identity();
      group = child.Group();
    }
    const std::string record = RecordOf(c.writer == Who::kMe ? ::geteuid() : kNobody);
    if (c.writer == Who::kMe) {
      ASSERT_TRUE(LeaveRecord(named, group));
    } else {
      ASSERT_EQ(AsNobody([&] { return LeaveRecord(named, group) ? 0 : 1; }), 0);
    }
    const std::string before = test::ReadFile(record);

    if (c.caller == Who::kMe) {
      EXPECT_EQ(Take(), c.outcome);
    } else {
      // Twice: the first caller that gives up must leave the record for the
      // next, who must refuse as well.
      for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(AsNobody([&] { return OutcomeCode(Take()); }), OutcomeCode(c.outcome));
        EXPECT_EQ(test::ReadFile(record), before) << "call " << call;
      }
    }
    EXPECT_EQ(Running(named), c.survives);
    if (c.writer == Who::kNobody) {
      EXPECT_EQ(test::ReadFile(record), before);
    }
    std::error_code ignored;
    fs::remove(record, ignored);
  }
}

// Nothing that a cleaner of /tmp (or the records' owner) removes while a
// call holds the installation lets a second call in beside it. Only this
// installation's records go: other tests may hold records of their own.
TEST_F(InstallTakeoverTest, RemovingTheRecordsWhileHeldLetsNobodyIn) {
  const InstallLocationLock first = InstallLocationLock::Take(install_.library_location(), "first");
  ASSERT_EQ(first.outcome(), Outcome::kHeld);
  ASSERT_TRUE(fs::exists(RecordOf(::geteuid())));
  std::error_code ignored;
  for (const uid_t user : {::geteuid(), kNobody}) fs::remove(RecordOf(user), ignored);
  Outcome second = Outcome::kHeld;
  std::thread([&] { second = Take(); }).join();
  EXPECT_EQ(second, Outcome::kTimedOut);
}

// A tool past its limit is ended with what it started; only then does the
// record let go of it.
TEST_F(InstallTakeoverTest, ATimedOutToolIsEndedWithItsChildren) {
  test::WriteFile(install_.InLocation("voktemp1.rep"), "<vok/>");
  const test::ScopedEnv helper("VOKWQM7_HELPER", "1");
  const test::ScopedEnv sleep("VOKWQM7_SLEEP_MS", "60000");
  InstallLocationLock held = InstallLocationLock::Take(install_.library_location(), "test");
  ASSERT_EQ(held.outcome(), Outcome::kHeld);
  LoginRequest login;
  login.account_code = "001";
  login.year = 2026;
  ReportToolRun run;
  run.work_file = install_.library_location() + "\\voktemp1.rep";
  run.wait_limit_ms = 1500;
  run.timeout_message = "timeout";
  run.installation = &held;
  char buffer[64] = "";
  MessageBuffer message(buffer);
  EXPECT_EQ(RunReportTool(install_.library_location(), login, "2026-11-30", run, message), -1);
  EXPECT_STREQ(buffer, "timeout");
  const std::string pid = test::ReadFile(install_.InLocation("vokwqm7.helper"));
  ASSERT_FALSE(pid.empty());
  EXPECT_FALSE(Running({static_cast<std::uint32_t>(std::stoul(pid)), 0})) << "helper " << pid;
  std::optional<InstallLock> probe = InstallLock::ForFolder(install_.library_location());
  ASSERT_TRUE(probe);
  const std::optional<InstallLockHolder> record = probe->Holder();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->tool.id, 0u);
}



}  // namespace
}  // namespace vok
