// Taking the installation over from a holder that left a record: what the
// next call may end, what it drops and what it must wait for, tried as
// another local user would (the caller run as `nobody` where the tests run
// as root), with records planted, stale or removed, a squatted name in
// /tmp and tools that will not end in time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
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

bool Running(const platform::ProcessIdentity& who) {
  return platform::RunningForMs(who).has_value();
}

// Runs `work` in a child process as `nobody`; its exit status.
int AsNobody(const test::NobodysRuntimeFolder& runtime, const std::function<int()>& work) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) ::_exit(test::BecomeNobody(runtime) ? work() : 99);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

int OutcomeCode(Outcome outcome) { return static_cast<int>(outcome); }

class InstallTakeoverTest : public ::testing::Test {
 protected:
  InstallTakeoverTest() {
    // Another user must reach the installation to lock it.
    for (const std::string& folder : {install_.root() + "/..", install_.root(), install_.location()}) {
      ::chmod(folder.c_str(), 0755);
    }
    seams::SetInstallWaitLimitMs(400);
  }
  ~InstallTakeoverTest() override {
    seams::SetInstallWaitLimitMs(0);
    for (std::optional<platform::ChildProcess>& tool : tools_) {
      if (tool) tool->Terminate(0);
    }
    for (const pid_t orphan : orphans_) ::kill(orphan, SIGKILL);
    std::error_code ignored;
    fs::remove(MyRecord(), ignored);
  }

  std::optional<InstallLock> Lock() const { return InstallLock::ForFolder(install_.library_location()); }
  std::string MyRecord() const { return Lock()->RecordPath(); }
  std::string Tool() const { return install_.library_location() + "\\vokwqm7.exe"; }

  std::string ToolCommand() const {
    return "\"" + install_.location() + "/vokwqm7.exe\" -LQM7_VOK{1 2026 x \"s\" \"w\" 0 }";
  }

  // The installation's report tool, running long, as an orphan would.
  platform::ChildProcess& StartTool() {
    const test::ScopedEnv sleep("VOKWQM7_SLEEP_MS", "60000");
    tools_.push_back(
        platform::ChildProcess::Start(ToolCommand(), nullptr, platform::ChildScope::kWithWhatItStarts));
    EXPECT_TRUE(tools_.back());
    return *tools_.back();
  }

  // The report tool started by a call of `nobody` that is gone.
  platform::ProcessIdentity StartNobodysTool() {
    const test::ScopedEnv sleep("VOKWQM7_SLEEP_MS", "60000");
    const std::string pid_file = runtime_ / "tool.pid";
    AsNobody(runtime_, [&] {
      std::optional<platform::ChildProcess> tool =
          platform::ChildProcess::Start(ToolCommand(), nullptr, platform::ChildScope::kWithWhatItStarts);
      if (!tool) return 1;
      test::WriteFile(pid_file, std::to_string(tool->Identity().id));
      return 0;
    });
    const auto pid = static_cast<std::uint32_t>(std::stoul(test::ReadFile(pid_file)));
    orphans_.push_back(static_cast<pid_t>(pid));
    return platform::IdentityOfProcess(pid).value_or(platform::ProcessIdentity{pid, 0});
  }

  // Another program of this user: the test binary itself, sleeping.
  platform::ChildProcess& StartSleeper() {
    const test::ScopedEnv mode("VOKQM7_TEST_CHILD_MODE", "sleep:60000");
    tools_.push_back(platform::ChildProcess::Start(
        "\"" + fs::read_symlink("/proc/self/exe").string() + "\"", nullptr,
        platform::ChildScope::kWithWhatItStarts));
    EXPECT_TRUE(tools_.back());
    return *tools_.back();
  }

  // Leaves the record of a holder that died while `tool` ran: taken, the
  // tool published, let go without taking the record back.
  bool LeaveRecord(const platform::ProcessIdentity& tool, std::uint32_t group,
                   const std::string& boot) const {
    std::optional<InstallLock> lock = Lock();
    if (!lock || lock->TryAcquire() != LockOutcome::kTaken) return false;
    InstallLockHolder holder{4242, "C:\\client.exe", "2026-12-10 08:00:00.000", "GetReportDate"};
    holder.tool = tool;
    holder.tool_group = group;
    holder.tool_program = Tool();
    holder.boot = boot;
    return lock->Publish(holder).ok();
  }

  Outcome Take() const { return InstallLocationLock::Take(install_.library_location(), "test").outcome(); }

  test::TestInstallation install_;
  test::NobodysRuntimeFolder runtime_;
  std::vector<std::optional<platform::ChildProcess>> tools_;
  std::vector<pid_t> orphans_;
};

// One table over the desks a call meets: who left which record naming
// what, whose tool runs, who calls next. Each row says whether the call
// takes the installation, whether the named process lives on and whether
// the record is kept, dropped, or left as it was.
TEST_F(InstallTakeoverTest, EndsOnlyItsOwnUsersToolDropsStaleRecordsAndWaitsForTheRest) {
  enum class Named { kNothing, kCaller, kOtherProgram, kTool, kReusedId, kNobodysTool };
  enum class Who { kMe, kNobody };
  enum class Record { kKept, kDropped, kNone };
  const struct {
    const char* name;
    Named named;
    bool recorded;     // this user's record names it
    bool other_boot;   // the record was written before the last boot
    bool squatted;     // another user made /tmp/vokqm7-holders-<my uid> first
    Who caller;
    Outcome outcome;
    bool survives;     // the named process still runs after the call
    Record record;     // what became of this user's record
  } kCases[] = {
      {"a record naming the caller", Named::kCaller, true, false, false, Who::kMe,
       Outcome::kHeld, true, Record::kNone},
      {"a record naming a process that is no report tool", Named::kOtherProgram, true, false,
       false, Who::kMe, Outcome::kHeld, true, Record::kNone},
      {"a record whose process id another process has now", Named::kReusedId, true, false, false,
       Who::kMe, Outcome::kHeld, true, Record::kNone},
      {"a record written before the last boot", Named::kOtherProgram, true, true, false,
       Who::kMe, Outcome::kHeld, true, Record::kNone},
      {"my orphaned tool, I call", Named::kTool, true, false, false, Who::kMe, Outcome::kHeld,
       false, Record::kNone},
      {"my orphaned tool, another user calls", Named::kTool, true, false, false, Who::kNobody,
       Outcome::kTimedOut, true, Record::kKept},
      {"another user's orphaned tool, I call", Named::kNobodysTool, false, false, false,
       Who::kMe, Outcome::kTimedOut, true, Record::kNone},
      {"my tool that no record names", Named::kTool, false, false, false, Who::kMe,
       Outcome::kTimedOut, true, Record::kNone},
      {"my records' old name in /tmp made by another user", Named::kNothing, false, false, true,
       Who::kMe, Outcome::kHeld, true, Record::kNone},
  };
  const bool root = ::geteuid() == 0;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    if (!root && (c.caller == Who::kNobody || c.named == Named::kNobodysTool || c.squatted)) {
      std::printf("skipped without root: %s\n", c.name);
      continue;
    }
    platform::ProcessIdentity named{};
    std::uint32_t group = 0;
    switch (c.named) {
      case Named::kNothing: break;
      case Named::kCaller: named = platform::CurrentProcessIdentity(); break;
      case Named::kNobodysTool: named = StartNobodysTool(); break;
      case Named::kTool:
      case Named::kOtherProgram:
      case Named::kReusedId: {
        platform::ChildProcess& child = c.named == Named::kTool ? StartTool() : StartSleeper();
        named = child.Identity();
        group = child.Group();
        break;
      }
    }
    // The id as another, earlier process had it.
    platform::ProcessIdentity recorded = named;
    if (c.named == Named::kReusedId) --recorded.start;
    if (c.recorded) {
      ASSERT_TRUE(LeaveRecord(recorded, group, c.other_boot ? "an earlier boot" : platform::BootIdentity()));
    }
    const std::string squat = "/tmp/vokqm7-holders-" + std::to_string(::geteuid());
    if (c.squatted) {
      ASSERT_EQ(AsNobody(runtime_, [&] { return ::mkdir(squat.c_str(), 0777) == 0 ? 0 : 1; }), 0);
    }
    const std::string before = c.recorded ? test::ReadFile(MyRecord()) : std::string();

    const auto start = std::chrono::steady_clock::now();
    if (c.caller == Who::kMe) {
      EXPECT_EQ(Take(), c.outcome);
    } else {
      // Twice: the first caller that gives up must leave things as they
      // were for the next, who must wait as well.
      for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(AsNobody(runtime_, [&] { return OutcomeCode(Take()); }), OutcomeCode(c.outcome));
      }
    }
    if (c.outcome == Outcome::kHeld) {
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(350))
          << "waited for nothing";
    }
    if (c.named != Named::kNothing) {
      EXPECT_EQ(Running(named), c.survives);
    }
    switch (c.record) {
      case Record::kKept: EXPECT_EQ(test::ReadFile(MyRecord()), before); break;
      case Record::kNone: EXPECT_FALSE(Lock()->OwnRecord()) << "a record was left behind"; break;
      case Record::kDropped: break;
    }
    std::error_code ignored;
    fs::remove(MyRecord(), ignored);
    fs::remove(squat, ignored);
    for (std::optional<platform::ChildProcess>& tool : tools_) {
      if (tool) tool->Terminate(0);
    }
    tools_.clear();
    for (const pid_t orphan : orphans_) ::kill(orphan, SIGKILL);
    orphans_.clear();
  }
}

// Nothing that the records' owner removes while a call holds the
// installation lets a second call in beside it.
TEST_F(InstallTakeoverTest, RemovingTheRecordWhileHeldLetsNobodyIn) {
  const InstallLocationLock first = InstallLocationLock::Take(install_.library_location(), "first");
  ASSERT_EQ(first.outcome(), Outcome::kHeld);
  ASSERT_TRUE(fs::exists(MyRecord()));
  std::error_code ignored;
  fs::remove(MyRecord(), ignored);
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
