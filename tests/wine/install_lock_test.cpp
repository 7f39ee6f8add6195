// The installation's mutex made by another caller with other security (an
// elevated client, another integrity level): one that refuses the rights
// the library asks for is still waited on and taken, never gone without.
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "platform/faults.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "test_installation.h"
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
    // What the library asks for is refused (where Wine checks the mutex's
    // security at all: the test then shows only that the call works).
    HANDLE full = CreateMutexExW(nullptr, name.c_str(), 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    const DWORD refused = full == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (full != nullptr) CloseHandle(full);
    if (refused != ERROR_ACCESS_DENIED) {
      std::printf("note: Wine granted full access to a mutex that refuses it (%lu)\n", refused);
    }
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
using platform::RecordedTool;

// What a call may do with the tool a holder's record names: end it only
// when it is the installation's report tool, of this caller's user, and not
// the caller itself; wait for it when it cannot tell. Another user is
// played by the fault seam (a process that cannot be opened) and by a
// record whose owner is not the user its name gives.
class RecordedToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("VOKWQM7_SLEEP_MS", "60000");
    CopyInto(ProgramFolder() + "\\vokwqm7.exe", elsewhere_ / "vokwqm7.exe");
  }
  void TearDown() override {
    SetEnvironmentVariableA("VOKWQM7_SLEEP_MS", nullptr);
    platform::testing::ClearFaults();
    for (std::optional<platform::ChildProcess>& child : children_) {
      if (child) child->Terminate(0);
    }
  }

  platform::ProcessIdentity Start(const std::string& program) {
    children_.push_back(platform::ChildProcess::Start("\"" + program + "\" -LQM7_VOK{1 2026 x \"s\" \"w\" 0 }"));
    EXPECT_TRUE(children_.back());
    return children_.back() ? children_.back()->Identity() : platform::ProcessIdentity{};
  }

  std::string Tool() const { return install_.location() + "\\vokwqm7.exe"; }

  TestInstallation install_{u8"记录测试"};
  ScratchFolder elsewhere_{"elsewhere"};
  std::vector<std::optional<platform::ChildProcess>> children_;
};

TEST_F(RecordedToolTest, OnlyTheInstallationsToolOfThisUserIsEverEnded) {
  const std::string me = platform::CurrentUser();
  ASSERT_FALSE(me.empty());
  enum class Named { kCaller, kOtherProgram, kTool };
  const struct {
    const char* name;
    Named named;
    std::string owner;  // the record's writer
    DWORD open_error;   // the process cannot be opened, with this error
    RecordedTool expected;
  } kCases[] = {
      {"a record naming the caller", Named::kCaller, me, 0, RecordedTool::kNotTheTool},
      {"a record naming another program", Named::kOtherProgram, me, 0, RecordedTool::kNotTheTool},
      {"a record of another user naming my tool", Named::kTool, "S-1-5-21-1-2-3-1001", 0,
       RecordedTool::kNotTheTool},
      {"a tool that cannot be opened (another user's)", Named::kTool, me, ERROR_ACCESS_DENIED,
       RecordedTool::kUnknown},
      {"my orphaned tool", Named::kTool, me, 0, RecordedTool::kMine},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const platform::ProcessIdentity named =
        c.named == Named::kCaller       ? platform::CurrentProcessIdentity()
        : c.named == Named::kOtherProgram ? Start(elsewhere_ / "vokwqm7.exe")
                                          : Start(Tool());
    platform::testing::ClearFaults();
    if (c.open_error != 0) {
      platform::testing::FailNext(platform::testing::Operation::kOpenProcess, 1000,
                                  static_cast<int>(c.open_error));
    }
    EXPECT_EQ(platform::InspectRecordedTool(named, 0, c.owner, Tool()), c.expected);
    platform::testing::ClearFaults();
    if (c.expected == RecordedTool::kMine) {
      EXPECT_EQ(platform::EndRecordedTool(named, 0, 10000), platform::EndOutcome::kEnded);
      EXPECT_EQ(platform::InspectRecordedTool(named, 0, c.owner, Tool()), RecordedTool::kGone);
    } else {
      EXPECT_TRUE(platform::RunningForMs(named)) << "the named process was ended";
    }
  }
}

// The record of a holder whose tool may still run outlives the holder; a
// record planted under another user's name counts for nobody.
TEST_F(RecordedToolTest, RecordsStayWhileTheirToolMayRunAndPlantedOnesDoNotCount) {
  const platform::ProcessIdentity tool = Start(Tool());
  const auto publish = [&](const platform::ProcessIdentity& named) {
    std::optional<InstallLock> lock = InstallLock::ForFolder(install_.location());
    if (!lock || lock->TryAcquire() != LockOutcome::kTaken) return false;
    InstallLockHolder holder{GetCurrentProcessId(), "C:\\client.exe", "2026-12-10 08:00:00.000",
                             "GetReportDate"};
    holder.tool = named;
    return lock->Publish(holder);
  };
  std::optional<InstallLock> probe = InstallLock::ForFolder(install_.location());
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->RecordProblem(), "");

  ASSERT_TRUE(publish(tool));
  std::vector<InstallLockHolder> records = probe->Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].tool.id, tool.id);
  EXPECT_TRUE(records[0].mine);
  EXPECT_EQ(records[0].owner, platform::CurrentUser());

  // A file under another user's name, written by this one.
  std::string folder(MAX_PATH, '\0');
  folder.resize(GetEnvironmentVariableA("ProgramData", folder.data(), MAX_PATH));
  std::string own_record;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\VOKQM7\\*.holder").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    const std::string name = found.cFileName;
    if (name.find(platform::CurrentUser()) != std::string::npos) own_record = name;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  ASSERT_FALSE(own_record.empty());
  const std::string planted = own_record.substr(0, own_record.find('.') + 1) + "S-1-5-21-1-2-3-1001.holder";
  ASSERT_TRUE(CopyFileA((folder + "\\VOKQM7\\" + own_record).c_str(),
                        (folder + "\\VOKQM7\\" + planted).c_str(), FALSE));
  records = probe->Records();
  EXPECT_EQ(records.size(), 1u) << "the planted record was taken for one";
  DeleteFileA((folder + "\\VOKQM7\\" + planted).c_str());

  // Its tool ended: the next holder's record names none and goes with it.
  ASSERT_EQ(platform::EndRecordedTool(tool, 0, 10000), platform::EndOutcome::kEnded);
  ASSERT_TRUE(publish({}));
  EXPECT_TRUE(probe->Records().empty());
}

}  // namespace
}  // namespace vok::wine_test
