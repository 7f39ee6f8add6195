// One call at a time per installation: the platform's lock on its own, and
// the exports' work (through the core linked into this binary, under the
// same ExportCall guard the exported functions use) meeting a held lock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "driver/install_lock.h"
#include "interface/export_call.h"
#include "interface/requests.h"
#include "platform/install_lock.h"
#include "platform/install_lock_record.h"
#include "platform/faults.h"
#include "platform/process.h"
#include "platform/program.h"
#include "request/messages.h"
#include "support/test_support.h"

namespace vok {
namespace {

namespace fs = std::filesystem;
using platform::InstallLock;
using platform::LockOutcome;

std::optional<InstallLock> LockOf(const std::string& folder) {
  return InstallLock::ForFolder(folder);
}

// Every file of a folder tree with its bytes, to see that nothing changed.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[entry.path().string()] = entry.is_regular_file() ? test::ReadFile(entry.path()) : "/";
  }
  return files;
}

TEST(InstallLock, OneHolderAtATimeWhateverThePathSpelling) {
  test::TempFolder temp;
  test::MakeFolders(temp / "install/vok");
  const std::string folder = temp.path() + "\\install\\vok";
  std::optional<InstallLock> first = LockOf(folder);
  std::optional<InstallLock> second = LockOf(temp.path() + "/install/./vok/");
  std::optional<InstallLock> third = LockOf(temp.path() + "/install/../install/vok");
  ASSERT_TRUE(first && second && third);

  ASSERT_EQ(first->TryAcquire(), LockOutcome::kTaken);
  platform::InstallLockHolder me{platform::ProcessId(), "C:\\client.exe",
                                 "2026-12-09 08:00:00.000", "GetReportDate"};
  ASSERT_TRUE(first->Publish(me));
  // Another thread, as a filing client's worker would be.
  std::thread([&] {
    EXPECT_EQ(second->TryAcquire(), LockOutcome::kBusy);
    EXPECT_EQ(third->Acquire(50), LockOutcome::kBusy);
    const std::optional<platform::InstallLockHolder> seen = second->Holder();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->process_id, me.process_id);
    EXPECT_EQ(seen->program, me.program);
    EXPECT_EQ(seen->since, me.since);
    EXPECT_EQ(seen->call, me.call);
  }).join();

  // A waiter gets it as soon as the holder lets go, and the record goes.
  std::thread release([&] {
    platform::SleepMilliseconds(100);
    first.reset();
  });
  EXPECT_EQ(second->Acquire(10000), LockOutcome::kTaken);
  release.join();
  EXPECT_FALSE(third->Holder());
  EXPECT_EQ(third->TryAcquire(), LockOutcome::kBusy);
}

TEST(InstallLock, NoneForAFolderThatIsMissingOrAFile) {
  test::TempFolder temp;
  test::WriteFile(temp / "file", "x");
  EXPECT_FALSE(LockOf(temp.path() + "/missing"));
  EXPECT_FALSE(LockOf(temp.path() + "/file"));
  EXPECT_TRUE(LockOf(temp.path()));
}

// A report tool started while the lock is held must not keep it after its
// starter has let go.
TEST(InstallLock, ChildProcessesDoNotInheritIt) {
  test::TempFolder temp;
  std::optional<InstallLock> held = LockOf(temp.path());
  ASSERT_TRUE(held);
  ASSERT_EQ(held->TryAcquire(), LockOutcome::kTaken);
  const test::ScopedEnv mode("VOKQM7_TEST_CHILD_MODE", "sleep:3000");
  std::optional<platform::ChildProcess> child =
      platform::ChildProcess::Start("\"" + fs::read_symlink("/proc/self/exe").string() + "\"");
  ASSERT_TRUE(child);
  held.reset();
  std::optional<InstallLock> next = LockOf(temp.path());
  ASSERT_TRUE(next);
  EXPECT_EQ(next->TryAcquire(), LockOutcome::kTaken);
  child->Terminate(0);
}

TEST(InstallLockRecord, ReadsBackWhatWasWrittenAndNothingFromAnEmptyRecord) {
  const platform::InstallLockHolder holder{4242, "D:\\财务\\client\nexe", "2026-12-09 08:01:02.003",
                                           "GetReportV2"};
  const std::optional<platform::InstallLockHolder> read =
      platform::ParseHolderRecord(platform::FormatHolderRecord(holder));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->process_id, 4242u);
  EXPECT_EQ(read->program, "D:\\财务\\client exe");  // one line per field
  EXPECT_EQ(read->since, holder.since);
  EXPECT_EQ(read->call, holder.call);
  for (const char* bytes : {"", "pid=\n", "pid=0\n", "pid=12x\n", "program=a\n"}) {
    EXPECT_FALSE(platform::ParseHolderRecord(bytes)) << bytes;
  }
}

// The exports meeting an installation that another call holds.
class HeldInstallationTest : public ::testing::Test {
 protected:
  HeldInstallationTest() : install_(test::SharedInstallation()) {
    std::error_code ignored;
    for (const char* name : {"vokwqm7.log", "vokwqm7.args", "vokdesk.args", "vokdesk.log"}) {
      fs::remove(install_.InLocation(name), ignored);
    }
    const std::string data = std::string(VOKQM7_TEST_DATA_DIR) + "/filing/";
    for (const char* target : {"vokModel/国税申报/hxsyb.rep", "vokModel/财务申报/lrb.rep"}) {
      fs::copy_file(data + "income.rep", install_.InLocation(target),
                    fs::copy_options::overwrite_existing);
    }
    for (const char* target : {"vokModel/国税申报/hxzcfzb.rep", "vokModel/财务申报/zcfzb.rep"}) {
      fs::copy_file(data + "balance.rep", install_.InLocation(target),
                    fs::copy_options::overwrite_existing);
    }
    template_ = data + "income.rep";
  }
  ~HeldInstallationTest() override {
    seams::SetInstallWaitLimitMs(0);
    platform::faults::ClearFaults();
  }

  int Call(const std::function<std::int32_t(ExportCall&)>& work) {
    ExportCall call("test", buffer_);
    return call.Run(work);
  }

  const test::TestInstallation& install_;
  test::TempFolder caller_;
  std::string template_;
  std::string login_ = test::BatchLogin("001", "2007", "2", "srv");
  std::string by_type_login_ =
      "<Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year><Period>2</Period>"
      "<Server>srv</Server><ReportType>SYB</ReportType><FileRep>" +
      std::string(VOKQM7_TEST_DATA_DIR) + "/filing/income.rep</FileRep></LoginInfo></Info>";
  char buffer_[128] = "untouched";
};

TEST_F(HeldInstallationTest, CallsThatWaitPastTheLimitTouchNoFile) {
  const std::string output = caller_ / "filing.xml";
  const std::string data = caller_ / "export.xml";
  const struct {
    const char* name;
    std::function<std::int32_t(ExportCall&)> work;
  } kExports[] = {
      {"GetReportDate",
       [&](ExportCall& c) { return GetNationalFiling(c, login_.c_str(), output.c_str()); }},
      {"GetReportDateV2",
       [&](ExportCall& c) { return GetFinancialFiling(c, login_.c_str(), output.c_str()); }},
      {"GetReportV2",
       [&](ExportCall& c) { return GetFilingByType(c, by_type_login_.c_str(), output.c_str()); }},
      {"GetReport",
       [&](ExportCall& c) {
         return GetSingleReport(c, login_.c_str(), 0, template_.c_str(), data.c_str());
       }},
  };
  // What an earlier call left, and the caller's previous filing.
  for (const char* name : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml", "voktemp1.rep"}) {
    test::WriteFile(install_.InLocation(name), std::string("earlier ") + name);
  }
  test::WriteFile(output, "the previous filing");
  const auto before = Snapshot(install_.location());

  std::optional<InstallLock> other = LockOf(install_.library_location());
  ASSERT_TRUE(other);
  ASSERT_EQ(other->TryAcquire(), LockOutcome::kTaken);
  // The holder is a live process of this user: this one.
  const platform::ProcessIdentity me = platform::CurrentProcessIdentity();
  ASSERT_TRUE(other->Publish(
      {me.id, "filing.exe", "2026-12-09 08:00:00.000", "GetReportDate", me.start}));
  seams::SetInstallWaitLimitMs(150);
  for (const auto& e : kExports) {
    std::memset(buffer_, 'Z', sizeof buffer_);
    EXPECT_EQ(Call(e.work), -1) << e.name;
    EXPECT_STREQ(buffer_, msg::kInstallInUse) << e.name;
    EXPECT_EQ(Snapshot(install_.location()), before) << e.name;
    EXPECT_EQ(test::ReadFile(output), "the previous filing") << e.name;
    EXPECT_FALSE(test::Exists(data)) << e.name;
  }

  // The interactive tool works in no file of the installation and so
  // takes no turn.
  const std::string open_login =
      "<Info><LoginInfo><AccountCode>001</AccountCode><UserID>u</UserID><Password>p</Password>"
      "<LoginDate>2007-02-01</LoginDate><Year>2007</Year><Period>2</Period><Server>srv</Server>"
      "<FileRep>r</FileRep></LoginInfo></Info>";
  EXPECT_EQ(Call([&](ExportCall& c) { return OpenInteractiveReport(c, open_login.c_str()); }), 0);

  // Whom the call waited for.
  const InstallLocationLock waited =
      InstallLocationLock::Take(install_.library_location(), "GetReportDate");
  EXPECT_EQ(waited.outcome(), InstallLocationLock::Outcome::kTimedOut);
  ASSERT_TRUE(waited.waited_for());
  EXPECT_EQ(waited.waited_for()->process_id, me.id);
  EXPECT_EQ(waited.waited_for()->program, "filing.exe");
}

TEST_F(HeldInstallationTest, ACallWaitsForTheHolderThenDoesItsWork) {
  const std::string output = caller_ / "filing.xml";
  std::optional<InstallLock> other = LockOf(install_.library_location());
  ASSERT_TRUE(other);
  ASSERT_EQ(other->TryAcquire(), LockOutcome::kTaken);
  std::thread release([&] {
    platform::SleepMilliseconds(300);
    EXPECT_FALSE(test::Exists(install_.InLocation("vokwqm7.log")));  // still waiting
    other.reset();
  });
  EXPECT_EQ(Call([&](ExportCall& c) { return GetNationalFiling(c, login_.c_str(), output.c_str()); }),
            0)
      << buffer_;
  release.join();
  EXPECT_STREQ(buffer_, "untouched");
  EXPECT_TRUE(test::Exists(output));

  // It publishes itself while it works: what another call then sees.
  const InstallLocationLock mine = InstallLocationLock::Take(install_.library_location(), "mine");
  ASSERT_EQ(mine.outcome(), InstallLocationLock::Outcome::kHeld);
  std::optional<InstallLock> probe = LockOf(install_.library_location());
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->TryAcquire(), LockOutcome::kBusy);
  ASSERT_TRUE(probe->Holder());
  EXPECT_EQ(probe->Holder()->process_id, platform::ProcessId());
  EXPECT_EQ(probe->Holder()->call, "mine");
  EXPECT_EQ(probe->Holder()->program, platform::ExecutablePath());
}

// A lock file that fails to open once is opened again: the call waits for
// its lock instead of going without it, and succeeds as it always did.
TEST_F(HeldInstallationTest, ALockThatCannotBeMadeChangesNothing) {
  const std::string output = caller_ / "filing.xml";
  platform::faults::FailNth(platform::faults::Operation::kOpenInstallLock, 1, EMFILE);
  EXPECT_EQ(Call([&](ExportCall& c) { return GetNationalFiling(c, login_.c_str(), output.c_str()); }),
            0)
      << buffer_;
  EXPECT_EQ(platform::faults::CallCount(platform::faults::Operation::kOpenInstallLock), 1);
  EXPECT_TRUE(test::Exists(output));
}

// A lock that fails is a busy one: the call tries again until its wait
// limit, then says the installation is in use and has touched nothing. A
// failure that passes within the limit costs only the wait.
TEST_F(HeldInstallationTest, ALockThatFailsIsWaitedForAndNeverGoneWithout) {
  using platform::faults::Operation;
  const std::string output = caller_ / "filing.xml";
  const struct {
    const char* name;
    int open_failures;  // of the lock file at ForFolder
    int take_failures;  // of TryAcquire, the lock file's later opens included
    int error;
    int result;
  } kCases[] = {
      {"the lock never works", 0, 100000, ENOLCK, -1},
      {"the lock file never opens", 1, 100000, EMFILE, -1},
      {"the lock fails a few times", 1, 3, EMFILE, 0},
  };
  for (const char* name : {"rep_vok.xml", "voktemp1.rep"}) {
    test::WriteFile(install_.InLocation(name), std::string("earlier ") + name);
  }
  test::WriteFile(output, "the previous filing");
  const auto before = Snapshot(install_.location());
  seams::SetInstallWaitLimitMs(400);
  for (const auto& c : kCases) {
    platform::faults::ClearFaults();
    platform::faults::FailNext(Operation::kOpenInstallLock, c.open_failures, c.error);
    platform::faults::FailNext(Operation::kTakeInstallLock, c.take_failures, c.error);
    std::memset(buffer_, 'Z', sizeof buffer_);
    buffer_[sizeof buffer_ - 1] = '\0';
    EXPECT_EQ(Call([&](ExportCall& call) {
                return GetNationalFiling(call, login_.c_str(), output.c_str());
              }),
              c.result)
        << c.name;
    EXPECT_GT(platform::faults::CallCount(Operation::kTakeInstallLock), c.result == 0 ? 3 : 4)
        << c.name;
    if (c.result != 0) {
      EXPECT_STREQ(buffer_, msg::kInstallInUse) << c.name;
      EXPECT_EQ(Snapshot(install_.location()), before) << c.name;
      EXPECT_EQ(test::ReadFile(output), "the previous filing") << c.name;
    } else {
      EXPECT_NE(test::ReadFile(output), "the previous filing") << c.name;
    }
  }
}

}  // namespace
}  // namespace vok
