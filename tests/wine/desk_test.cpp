// What real Windows desks do that a Wine prefix does not: virtualized
// folders, frozen GUI hosts, other code pages, hosts in jobs, installations
// on a share. Where Wine cannot show the behaviour, the fault seam makes
// the system say what Windows would (docs/wine.md names each case).
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "driver/install_lock.h"
#include "interface/export_call.h"
#include "platform/codepage.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "request/messages.h"
#include "wine_support.h"
#include "windows_headers.h"

// platform/files.h names functions as <windows.h> names macros.
#undef DeleteFile

namespace vok::wine_test {
namespace {

using platform::testing::Operation;

class Desk : public ::testing::Test {
 protected:
  void TearDown() override { platform::testing::ClearFaults(); }
  ScratchFolder folder_{u8"桌面 检查"};
};

// A delete that reports success but leaves the file (a virtualized copy
// hid the real one); a file another program holds with delete sharing,
// whose name the delete must free at once; output paths past MAX_PATH.
TEST_F(Desk, FilesAreGoneWhereTheDeleteSaysSoAndLongPathsWork) {
  const std::string name = folder_ / "rep_vok.xml";
  std::string deep = folder_.path();
  while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
  const struct {
    const char* name;
    bool leaves_file;  // the fault: the delete reports success, leaves it
    bool held;         // another program has it open, sharing its deletion
    bool deleted;
    bool gone;
  } kCases[] = {
      {"plain delete", false, false, true, true},
      {"delete reports success, file stays", true, false, true, false},
      {"held with delete sharing: the name is free at once", false, true, true, true},
  };
  for (const auto& c : kCases) {
    WriteBytes(name, "<vok/>");
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (c.held) {
      holder = CreateFileA(name.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(holder, INVALID_HANDLE_VALUE) << c.name;
    }
    if (c.leaves_file) platform::testing::FailNth(Operation::kDeleteLeavesFile, 1, 1);
    EXPECT_EQ(platform::DeleteFile(name), c.deleted) << c.name;
    EXPECT_EQ(!Exists(name), c.gone) << c.name;
    if (c.gone) {
      // The tool's next export can be made under the name.
      EXPECT_TRUE(platform::WriteWholeFile(name, "<vok>new</vok>")) << c.name << ": " << GetLastError();
    }
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    platform::testing::ClearFaults();
    DeleteFileA(name.c_str());
  }
  EXPECT_EQ(ListFolder(folder_.path()).size(), 0u) << "a file set aside was left behind";

  std::vector<std::string> made;
  for (const std::size_t length : {240u, 259u, 300u}) {
    const std::string folder = deep.substr(0, length - 12);
    const std::string path = folder + "\\filing.xml";
    // Made with the system's own long-path form, not through the layer.
    for (std::size_t cut = folder_.path().size() + 1; cut <= folder.size(); ++cut) {
      if ((cut == folder.size() || folder[cut] == '\\') &&
          CreateDirectoryW((L"\\\\?\\" + WideFromGbk(folder.substr(0, cut))).c_str(), nullptr)) {
        made.push_back(folder.substr(0, cut));
      }
    }
    EXPECT_TRUE(platform::ReplaceFileAtomically(path, "<DZSBB/>")) << path.size() << " characters";
    EXPECT_EQ(platform::ReadWholeFile(path).value_or("<none>"), "<DZSBB/>") << path.size();
    EXPECT_TRUE(platform::DeleteFile(path)) << path.size();
  }
  // Too deep for the scratch folder's own clean-up.
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    RemoveDirectoryW((L"\\\\?\\" + WideFromGbk(*folder)).c_str());
  }
}

// A GUI host waits for the tool and for the installation without freezing:
// messages that others send it are answered during the wait, input posted
// to it stays queued for the host.
constexpr UINT kSent = WM_APP + 1;
constexpr UINT kPosted = WM_APP + 2;
std::atomic<int> posted_seen{0};

LRESULT CALLBACK HostWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kSent) return 42;
  if (message == kPosted) ++posted_seen;
  return DefWindowProcW(window, message, w, l);
}

TEST_F(Desk, AGuiHostAnswersSentMessagesWhileItWaits) {
  WNDCLASSW kind{};
  kind.lpfnWndProc = HostWindow;
  kind.lpszClassName = L"VokDeskHost";
  RegisterClassW(&kind);
  HWND window = CreateWindowExW(0, L"VokDeskHost", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr) << GetLastError();
  ASSERT_TRUE(IsGUIThread(FALSE));
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", folder_ / "vokwqm7.exe");
  const std::string tool = "\"" + (folder_ / "vokwqm7.exe") + "\" not-a-batch-command";

  const struct {
    const char* name;
    bool lock;  // else the report tool
  } kCases[] = {{"waiting for the report tool", false}, {"waiting for the installation", true}};
  for (const auto& c : kCases) {
    posted_seen = 0;
    PostMessageW(window, kPosted, 0, 0);
    std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(folder_.path());
    ASSERT_TRUE(lock.has_value());
    std::atomic<bool> held{false};
    // Another caller holds the installation for a while, on a thread of its own.
    std::thread holder([&] {
      if (!c.lock) return;
      std::optional<platform::InstallLock> other = platform::InstallLock::ForFolder(folder_.path());
      held = other && other->TryAcquire() == platform::LockOutcome::kTaken;
      Sleep(1500);
    });
    while (c.lock && !held) Sleep(5);
    std::atomic<std::uint64_t> answered_at{0};
    DWORD_PTR answer = 0;
    std::thread sender([&] {
      Sleep(300);
      if (SendMessageTimeoutW(window, kSent, 0, 0, SMTO_NORMAL, 5000, &answer)) answered_at = NowMs();
    });
    ScopedEnvironment sleep("VOKWQM7_SLEEP_MS", std::string("1500"));
    std::optional<platform::ChildProcess> child;
    if (c.lock) {
      EXPECT_EQ(lock->Acquire(10000), platform::LockOutcome::kTaken) << c.name;
    } else {
      child = platform::ChildProcess::Start(tool);
      ASSERT_TRUE(child.has_value()) << c.name;
      EXPECT_EQ(child->Wait(10000), platform::WaitOutcome::kExited) << c.name;
    }
    const std::uint64_t waited_until = NowMs();
    sender.join();
    holder.join();
    EXPECT_NE(answered_at.load(), 0u) << c.name << ": the sent message was never answered";
    EXPECT_LT(answered_at.load(), waited_until) << c.name << ": answered only after the wait";
    EXPECT_EQ(answer, 42u) << c.name;
    EXPECT_EQ(posted_seen.load(), 0) << c.name << ": posted input was dispatched during the wait";
    MSG queued;
    EXPECT_TRUE(PeekMessageW(&queued, window, kPosted, kPosted, PM_REMOVE)) << c.name;
  }
  DestroyWindow(window);
}

// GetACP() = 65001 (Windows' "Beta: Use Unicode UTF-8", a host manifest's
// activeCodePage) or 950: the library's own texts stay GBK, and a call
// whose texts are not plain ASCII is refused before it writes anything.
TEST_F(Desk, AnotherAnsiCodePageKeepsTheTextsGbkAndRefusesChineseCallerTexts) {
  const std::string chinese = Gbk(u8"C:\\申报\\filing.xml");
  const struct {
    int code_page;
    const char* path;
    bool accepted;
  } kCases[] = {
      {65001, "C:\\out\\filing.xml", true},
      {65001, chinese.c_str(), false},
      {950, chinese.c_str(), false},
      {936, chinese.c_str(), true},
  };
  for (const auto& c : kCases) {
    platform::testing::FailNext(Operation::kAnsiCodePage, 1000, c.code_page);
    EXPECT_EQ(platform::AnsiCodePage(), static_cast<std::uint32_t>(c.code_page));
    // Between the DOM and the document: code page 936 whatever the host's.
    EXPECT_EQ(platform::Utf16ToGbk(u"编制单位"), Gbk(u8"编制单位")) << c.code_page;
    EXPECT_EQ(platform::GbkToUtf16(Gbk(u8"资产负债表")), u"资产负债表") << c.code_page;
    char buffer[64] = "untouched";
    ExportCall call("Desk", buffer);
    EXPECT_EQ(call.AcceptCallerTexts({"<Info/>", c.path}), c.accepted) << c.code_page;
    EXPECT_EQ(std::string(buffer), c.accepted ? "untouched" : msg::kCallerTextNotGbk)
        << c.code_page;
    platform::testing::ClearFaults();
  }
}

// Windows 7 puts no process in a second job: a host already in a job that
// allows no breakaway leaves the tool untied, and the holder record lets the
// next call end it instead. The tool runs and is waited for either way.
TEST_F(Desk, AToolThatCannotJoinItsJobRunsUntied) {
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", folder_ / "vokwqm7.exe");
  const std::string tool = "\"" + (folder_ / "vokwqm7.exe") + "\" not-a-batch-command";
  const struct {
    const char* name;
    bool refused;
    bool tied;
  } kCases[] = {{"own job", false, true}, {"second job refused", true, false}};
  for (const auto& c : kCases) {
    if (c.refused) platform::testing::FailNth(Operation::kAssignJob, 1, ERROR_ACCESS_DENIED);
    std::optional<platform::ChildProcess> child =
        platform::ChildProcess::Start(tool, nullptr, platform::ChildTie::kEndsWithHost);
    ASSERT_TRUE(child.has_value()) << c.name;
    EXPECT_EQ(child->Tied(), c.tied) << c.name;
    EXPECT_NE(child->Identity().start, 0u) << c.name;
    EXPECT_EQ(child->Wait(15000), platform::WaitOutcome::kExited) << c.name;
    EXPECT_EQ(child->ExitCode().value_or(-1), 2) << c.name;
    platform::testing::ClearFaults();
  }
}

// Only the tool is tied: what it starts (a database engine, a licence
// helper) outlives the tool's job, which ends with the call.
TEST_F(Desk, WhatTheToolStartsOutlivesItsJob) {
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", folder_ / "vokwqm7.exe");
  CopyInto(ProgramFolder() + "\\vokdesk.exe", folder_ / "vokdesk.exe");
  ScopedEnvironment helper("VOKWQM7_START", "\"" + (folder_ / "vokdesk.exe") + "\" helper");
  ScopedEnvironment late("VOKDESK_SLEEP_MS", std::string("1000"));
  {
    std::optional<platform::ChildProcess> tool = platform::ChildProcess::Start(
        "\"" + (folder_ / "vokwqm7.exe") + "\" x", nullptr, platform::ChildTie::kEndsWithHost);
    ASSERT_TRUE(tool.has_value());
    ASSERT_TRUE(tool->Tied());
    EXPECT_EQ(tool->Wait(15000), platform::WaitOutcome::kExited);
    EXPECT_EQ(tool->ExitCode().value_or(-1), 2);
  }  // the job closes here
  EXPECT_EQ(WaitForFile(folder_ / "vokdesk.args", 10000).value_or("<ended with the job>"),
            "helper");
}

// Two workstations running the package from one share meet in no mutex:
// there a lock file in the folder, open without sharing, keeps them apart.
TEST_F(Desk, AnInstallationOnAShareIsGuardedByALockFileInIt) {
  const std::string lock_file = folder_ / "vokqm7.lock";
  const struct {
    const char* name;
    bool remote;
    bool other_machine_holds_it;
    platform::LockOutcome outcome;
  } kCases[] = {
      {"local folder", false, false, platform::LockOutcome::kTaken},
      {"share, free", true, false, platform::LockOutcome::kTaken},
      {"share, another machine has it", true, true, platform::LockOutcome::kBusy},
  };
  for (const auto& c : kCases) {
    DeleteFileA(lock_file.c_str());
    HANDLE other = INVALID_HANDLE_VALUE;
    if (c.other_machine_holds_it) {
      other = CreateFileA(lock_file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(other, INVALID_HANDLE_VALUE) << c.name;
    }
    if (c.remote) platform::testing::FailNth(Operation::kFolderIsRemote, 1, 1);
    {
      std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(folder_.path());
      ASSERT_TRUE(lock.has_value()) << c.name;
      EXPECT_EQ(lock->GuardsShare(), c.remote) << c.name;
      const std::uint64_t start = NowMs();
      EXPECT_EQ(lock->Acquire(400), c.outcome) << c.name;
      if (c.outcome == platform::LockOutcome::kBusy) {
        EXPECT_GE(NowMs() - start, 350u) << c.name;
      }
      if (c.outcome == platform::LockOutcome::kTaken) {
        EXPECT_EQ(Exists(lock_file), c.remote) << c.name;
        if (c.remote) {
          // Held: another machine cannot open it.
          HANDLE probe = CreateFileA(lock_file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
          EXPECT_EQ(probe, INVALID_HANDLE_VALUE) << c.name;
          if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
        }
      }
    }
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    platform::testing::ClearFaults();
  }
  DeleteFileA(lock_file.c_str());
}

// A lock refused for good (a Low-integrity or AppContainer host may make no
// global mutex) fails the call at once; one that fails for a moment is
// waited out as before.
TEST_F(Desk, ALockRefusedForGoodFailsAtOnce) {
  const struct {
    const char* name;
    int error;
    int failures;  // of making or opening the mutex
    InstallLocationLock::Outcome outcome;
    std::uint64_t at_most_ms;
  } kCases[] = {
      {"refused", ERROR_ACCESS_DENIED, 1000, InstallLocationLock::Outcome::kTimedOut, 1000},
      {"short of memory a moment", ERROR_NOT_ENOUGH_MEMORY, 3,
       InstallLocationLock::Outcome::kHeld, 5000},
  };
  for (const auto& c : kCases) {
    platform::testing::FailNext(Operation::kOpenInstallLock, c.failures, c.error);
    const std::uint64_t start = NowMs();
    {
      InstallLocationLock taken = InstallLocationLock::Take(folder_.path(), "GetReportDate");
      EXPECT_EQ(taken.outcome(), c.outcome) << c.name;
    }
    EXPECT_LE(NowMs() - start, c.at_most_ms) << c.name;
    platform::testing::ClearFaults();
    std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(folder_.path());
    ASSERT_TRUE(lock.has_value());
    EXPECT_EQ(lock->RefusedError(), 0u) << c.name << ": nothing refuses it now";
  }
  platform::testing::FailNext(Operation::kOpenInstallLock, 2, ERROR_ACCESS_DENIED);
  std::optional<platform::InstallLock> refused = platform::InstallLock::ForFolder(folder_.path());
  ASSERT_TRUE(refused.has_value());
  EXPECT_FALSE(refused->Made());
  EXPECT_EQ(refused->RefusedError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace vok::wine_test
