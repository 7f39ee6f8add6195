// The installation's mutex made by another caller with other security (an
// elevated client, another integrity level): one that refuses the rights
// the library asks for is still waited on and taken, never gone without.
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "driver/install_lock.h"
#include "platform/faults.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "test_installation.h"
#include "host_window.h"
#include "windows_headers.h"

#include <sddl.h>

namespace vok::wine_test {
namespace {

// The mutex another caller made: everyone may only wait on it. Held, for
// `holdMs`, by a thread of its own (a mutex taken again by its holding
// thread would be taken at once).
class ForeignMutex {
 public:
  ForeignMutex(const std::wstring& name, DWORD holdMs) {
    thread_ = std::thread([this, name, holdMs] {
      PSECURITY_DESCRIPTOR descriptor = nullptr;
      ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;WD)",
                                                           SDDL_REVISION_1, &descriptor, nullptr);
      SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
      mutex_ = CreateMutexW(&attributes, holdMs > 0, name.c_str());
      LocalFree(descriptor);
      SetEvent(ready_);
      if (mutex_ == nullptr || holdMs == 0) return;
      Sleep(holdMs);
      released_at_ = std::chrono::steady_clock::now();
      ReleaseMutex(mutex_);
    });
    WaitForSingleObject(ready_, INFINITE);
  }
  ~ForeignMutex() {
    if (thread_.joinable()) thread_.join();
    if (mutex_ != nullptr) CloseHandle(mutex_);
    CloseHandle(ready_);
  }
  HANDLE get() const { return mutex_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::chrono::steady_clock::time_point released_at() const { return released_at_; }

 private:
  HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE mutex_ = nullptr;
  std::chrono::steady_clock::time_point released_at_{};
  std::thread thread_;
};

class ForeignMutexTest : public Filing {};

TEST_F(ForeignMutexTest, ACallWaitsOnAMutexThatRefusesFullAccessThenWorks) {
  InstallNational();
  std::wstring name;
  {
    std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(install_.location());
    ASSERT_TRUE(lock);
    const std::string narrow = lock->Name();
    name.assign(narrow.begin(), narrow.end());  // ASCII
  }
  const struct {
    const char* name;
    DWORD holdMs;
  } kCases[] = {{"held by the other caller", 1500}, {"free", 0}};
  for (const auto& c : kCases) {
    ForeignMutex other(name, c.holdMs);
    ASSERT_NE(other.get(), nullptr) << c.name << ": error " << GetLastError();
    // What the library asks for is refused, as Windows and Wine both do.
    HANDLE full = CreateMutexExW(nullptr, name.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    const DWORD refused = full == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (full != nullptr) CloseHandle(full);
    EXPECT_EQ(refused, static_cast<DWORD>(ERROR_ACCESS_DENIED))
        << c.name << ": a mutex that grants everyone SYNCHRONIZE only must refuse the rest";
    MessageBuffer message;
    EXPECT_EQ(National(message), 0) << c.name << ": " << Readable(message.Text());
    const auto returned = std::chrono::steady_clock::now();
    other.Join();
    if (c.holdMs > 0) {
      // The tool ran only after the other caller let go.
      EXPECT_GT(returned, other.released_at()) << c.name;
    }
    // And the call let go of it again: another thread takes it at once.
    DWORD taken = WAIT_FAILED;
    std::thread([&] {
      taken = WaitForSingleObject(other.get(), 0);
      if (taken == WAIT_OBJECT_0) ReleaseMutex(other.get());
    }).join();
    EXPECT_EQ(taken, static_cast<DWORD>(WAIT_OBJECT_0)) << c.name;
    DeleteFileA(output_.c_str());
  }
}

}  // namespace
}  // namespace vok::wine_test

namespace vok::wine_test {
namespace {

using platform::InstallLock;
using platform::InstallLockHolder;
using platform::LockOutcome;
using platform::faults::Operation;
using Outcome = InstallLocationLock::Outcome;

// The desks Wine cannot be: an elevated host, a second user's folder, a
// record whose process id another process has now, a folder that another
// computer maps, a Low-integrity host. The fault seam makes the system say
// what Windows would. Each row: whether the call takes the installation,
// how long it may take at most (never the wait limit for a reason that
// waiting cannot mend), and whether the process a record named lives on.
class WindowsDeskLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VOKWQM7_SLEEP_MS", "60000");
    seams::SetInstallWaitLimitMs(kLimitMs);
  }
  void TearDown() override {
    SetEnvironmentVariableA("VOKWQM7_SLEEP_MS", nullptr);
    seams::SetInstallWaitLimitMs(0);
    platform::faults::ClearFaults();
    for (std::optional<platform::ChildProcess>& child : children_) {
      if (child) child->Terminate(0);
    }
  }

  platform::ProcessIdentity Start(const std::string& program) {
    children_.push_back(platform::ChildProcess::Start(
        "\"" + program + "\" -LQM7_VOK{1 2026 x \"s\" \"w\" 0 }"));
    EXPECT_TRUE(children_.back());
    return children_.back() ? children_.back()->Identity() : platform::ProcessIdentity{};
  }

  // Leaves this user's record of a holder that died while `tool` ran.
  bool LeaveRecord(const platform::ProcessIdentity& tool, const std::string& program) {
    std::optional<InstallLock> lock = InstallLock::ForFolder(install_.location());
    if (!lock || lock->TryAcquire() != LockOutcome::kTaken) return false;
    InstallLockHolder holder{4242, "C:\\client.exe", "2026-12-10 08:00:00.000", "GetReportDate"};
    holder.tool = tool;
    holder.tool_program = program;
    holder.boot = platform::BootIdentity();
    return lock->Publish(holder).ok();
  }

  static constexpr std::uint32_t kLimitMs = 1500;
  TestInstallation install_{u8"桌面锁"};
  ScratchFolder elsewhere_{"elsewhere"};
  std::vector<std::optional<platform::ChildProcess>> children_;
};

TEST_F(WindowsDeskLockTest, NoDeskSetUpWaitsTheLimitForNothing) {
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", elsewhere_ / "other.exe");
  const std::string tool = install_.location() + "\\vokwqm7.exe";
  const std::string lock_file = install_.location() + "\\vokqm7.lock";
  enum class Named { kNothing, kOtherProgram, kGone };
  const struct {
    const char* name;
    Operation fault;
    int error;        // what the seam makes the system say, for every call
    Named named;      // what this user's record names
    bool other_machine;  // another computer has the folder's lock file
    Outcome outcome;
    std::uint32_t at_most_ms;
  } kCases[] = {
      {"an elevated host: the administrators own what it makes", Operation::kFileOwner, 544,
       Named::kNothing, false, Outcome::kHeld, 1000},
      {"the records' folder belongs to another user", Operation::kFileOwner, 1001,
       Named::kNothing, false, Outcome::kRefused, 1000},
      {"a Low-integrity host", Operation::kTokenIntegrity, 0x1000, Named::kNothing, false,
       Outcome::kRefused, 1000},
      {"a recorded id that cannot be opened and now runs another program", Operation::kOpenProcess,
       ERROR_ACCESS_DENIED, Named::kOtherProgram, false, Outcome::kHeld, 1000},
      {"a recorded tool that cannot be opened and is gone", Operation::kOpenProcess,
       ERROR_ACCESS_DENIED, Named::kGone, false, Outcome::kHeld, 1000},
      {"a local folder that another computer maps and works in", Operation::kCount, 0,
       Named::kNothing, true, Outcome::kTimedOut, kLimitMs + 1000},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    platform::ProcessIdentity named{};
    if (c.named == Named::kOtherProgram) named = Start(elsewhere_ / "other.exe");
    if (c.named == Named::kGone) {
      named = Start(tool);
      children_.back()->Terminate(0);
    }
    if (c.named != Named::kNothing) {
      ASSERT_TRUE(LeaveRecord(named, tool));
    }
    HANDLE other = INVALID_HANDLE_VALUE;
    if (c.other_machine) {
      other = CreateFileA(lock_file.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(other, INVALID_HANDLE_VALUE) << GetLastError();
    }
    if (c.fault != Operation::kCount) platform::faults::FailNext(c.fault, 100000, c.error);
    const std::uint64_t start = NowMs();
    {
      const InstallLocationLock taken = InstallLocationLock::Take(install_.location(), "test");
      EXPECT_EQ(taken.outcome(), c.outcome);
      if (c.outcome == Outcome::kHeld) {
        // Held here means held everywhere: another computer cannot open the
        // folder's lock file meanwhile.
        HANDLE probe = CreateFileA(lock_file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(probe, INVALID_HANDLE_VALUE);
        if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
      }
    }
    EXPECT_LE(NowMs() - start, c.at_most_ms);
    platform::faults::ClearFaults();
    if (named.id != 0 && c.named == Named::kOtherProgram) {
      EXPECT_TRUE(platform::RunningForMs(named)) << "the named process was ended";
    }
    // The next call, on the same account unelevated, finds nothing of it in its way.
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_EQ(InstallLocationLock::Take(install_.location(), "next").outcome(), Outcome::kHeld);
    for (std::optional<platform::ChildProcess>& child : children_) {
      if (child) child->Terminate(0);
    }
    children_.clear();
  }
}

// A holder removes its record as it lets go; while another call of the
// same user reads it (to name who holds) or a scanner looks at it, the name
// stays "delete pending" and refuses to be opened. Wine makes the name
// again at once, so the seam says what Windows would. The next holder
// waits a refusal for a moment out and records its tool; it does not take
// it for a record that cannot be kept, which would end the tool unrun. A
// refusal that lasts, or one that waiting cannot mend, fails the record.
TEST_F(WindowsDeskLockTest, AnOwnRecordRefusedForAMomentIsWaitedFor) {
  const struct {
    const char* name;
    int refusals;
    int error;
    bool published;
    int fewest_attempts, most_attempts;
  } kCases[] = {
      {"being deleted while another call reads it", 3, ERROR_ACCESS_DENIED, true, 4, 4},
      {"a scanner's handle that shares nothing", 2, ERROR_SHARING_VIOLATION, true, 3, 3},
      // Pauses of 5 to 320 ms and the rest of the second: nine attempts,
      // fewer on a machine slow enough to spend the rest elsewhere.
      {"refused for longer than a moment", 100000, ERROR_ACCESS_DENIED, false, 7, 9},
      {"refused for a reason waiting cannot mend", 100000, ERROR_INVALID_OWNER, false, 1, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const platform::ProcessIdentity gone{4243, 1};
    ASSERT_TRUE(LeaveRecord(gone, install_.location() + "\\vokwqm7.exe"));  // a name to refuse
    std::optional<InstallLock> next = InstallLock::ForFolder(install_.location());
    ASSERT_TRUE(next && next->TryAcquire() == LockOutcome::kTaken);
    InstallLockHolder holder{GetCurrentProcessId(), "C:\\client.exe", "2026-12-10 08:00:01.000",
                             "GetReportDate"};
    holder.tool = {4244, 1};
    platform::faults::FailNext(Operation::kOpenOwnRecord, c.refusals, c.error);
    EXPECT_EQ(next->Publish(holder).ok(), c.published);
    const int attempts = platform::faults::CallCount(Operation::kOpenOwnRecord);
    EXPECT_GE(attempts, c.fewest_attempts);
    EXPECT_LE(attempts, c.most_attempts);
    platform::faults::ClearFaults();
    const std::optional<InstallLockHolder> read = next->OwnRecord();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->tool.id, c.published ? 4244u : gone.id);
    holder.tool = {};
    EXPECT_TRUE(next->Publish(holder).ok());  // and it goes as the holder lets go
  }
}

}  // namespace
}  // namespace vok::wine_test

namespace vok::wine_test {
namespace {

// A GUI host answers sent messages while a call waits (for its tool, or for
// the installation): a window procedure that calls the library again on
// that thread is refused at once and touches nothing, and the call it
// interrupted goes on to its document. Through the DLL, as a host calls it.
constexpr UINT kNest = WM_APP + 7;

struct NestedCall {
  const VokLibrary* library = nullptr;
  std::string login;
  std::string output;
  int result = 1;
  std::uint64_t took_ms = 0;
  MessageBuffer message;
};
NestedCall* nested = nullptr;

LRESULT CALLBACK NestingHost(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != kNest || nested == nullptr) return DefWindowProcW(window, message, w, l);
  const std::uint64_t start = NowMs();
  nested->result = nested->library->GetReportDate()(nested->login.c_str(), nested->output.c_str(),
                                                    nested->message.get());
  nested->took_ms = NowMs() - start;
  return 0;
}

class ReentryTest : public Filing {};

TEST_F(ReentryTest, ACallFromAWindowProcedureDuringAWaitIsRefusedAtOnce) {
  InstallNational();
  HWND window = MakeHostWindow(NestingHost, L"VokNestingHost");
  ASSERT_NE(window, nullptr) << GetLastError();
  const struct {
    const char* name;
    bool lock_held;  // another caller holds the installation for a while; else the tool is slow
  } kCases[] = {{"waiting for the report tool", false}, {"waiting for the installation", true}};
  for (const auto& c : kCases) {
    NestedCall call;
    call.library = &library_;
    call.login = BatchLogin("002", "2007", "2", kServer);
    call.output = caller_ / "nested.xml";
    nested = &call;
    std::atomic<bool> held{false};
    std::thread holder([&] {
      if (!c.lock_held) return;
      std::optional<InstallLock> other = InstallLock::ForFolder(install_.location());
      held = other && other->TryAcquire() == LockOutcome::kTaken;
      Sleep(1000);
    });
    while (c.lock_held && !held) Sleep(5);
    ScopedEnvironment slow("VOKWQM7_SLEEP_MS", std::string(c.lock_held ? "0" : "900"));
    std::thread sender([&] {
      Sleep(300);
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(window, kNest, 0, 0, SMTO_NORMAL, 10000, &ignored);
    });
    MessageBuffer outer;
    EXPECT_EQ(National(outer), 0) << c.name << ": " << Readable(outer.Text());
    sender.join();
    holder.join();
    nested = nullptr;
    EXPECT_EQ(call.result, -1) << c.name << ": the nested call was not refused";
    EXPECT_TRUE(call.message.Holds(Gbk(u8"财务软件安装目录正被另一个报表调用使用,请稍后再试!")))
        << c.name;
    EXPECT_LT(call.took_ms, 500u) << c.name << ": the nested call waited";
    EXPECT_FALSE(Exists(call.output)) << c.name;
    EXPECT_TRUE(OutputHolds([](const std::string& today) {
      return kFilingHead + IncomeSectionV1("200702") + BalanceSection(today) + "</DZSBB>";
    })) << c.name;
    // Only the outer call ran the tool: twice, for account 001.
    for (const std::string& run : LastToolRuns(2)) {
      EXPECT_EQ(run.find("-LQM7_VOK{001 "), 0u) << c.name << ": " << Readable(run);
    }
    DeleteFileA(output_.c_str());
  }
  DestroyWindow(window);
}

}  // namespace
}  // namespace vok::wine_test
