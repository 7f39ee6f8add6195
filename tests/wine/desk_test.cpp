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
#include "driver/report_tool.h"
#include "interface/export_call.h"
#include "platform/codepage.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "request/messages.h"
#include "wine_support.h"
#include "host_window.h"
#include "windows_headers.h"

// platform/files.h names functions as <windows.h> names macros.
#undef DeleteFile

namespace vok::wine_test {
namespace {

using platform::faults::Operation;

class Desk : public ::testing::Test {
 protected:
  void TearDown() override { platform::faults::ClearFaults(); }
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
    if (c.leaves_file) platform::faults::FailNth(Operation::kDeleteLeavesFile, 1, 1);
    EXPECT_EQ(platform::DeleteFile(name).ok(), c.deleted) << c.name;
    EXPECT_EQ(!Exists(name), c.gone) << c.name;
    if (c.gone) {
      // The tool's next export can be made under the name.
      EXPECT_TRUE(platform::WriteWholeFile(name, "<vok>new</vok>")) << c.name << ": " << GetLastError();
    }
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    platform::faults::ClearFaults();
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
  HWND window = MakeHostWindow(HostWindow, L"VokDeskHost");
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
    platform::faults::FailNext(Operation::kAnsiCodePage, 1000, c.code_page);
    EXPECT_EQ(platform::AnsiCodePage(), static_cast<std::uint32_t>(c.code_page));
    // Between the DOM and the document: code page 936 whatever the host's.
    EXPECT_EQ(platform::Utf16ToGbk(u"编制单位"), Gbk(u8"编制单位")) << c.code_page;
    EXPECT_EQ(platform::GbkToUtf16(Gbk(u8"资产负债表")), u"资产负债表") << c.code_page;
    char buffer[64] = "untouched";
    ExportCall call("Desk", buffer);
    EXPECT_EQ(call.AcceptCallerTexts({"<Info/>", c.path}), c.accepted) << c.code_page;
    EXPECT_EQ(std::string(buffer), c.accepted ? "untouched" : msg::kCallerTextNotGbk)
        << c.code_page;
    platform::faults::ClearFaults();
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
    if (c.refused) platform::faults::FailNth(Operation::kAssignJob, 1, ERROR_ACCESS_DENIED);
    std::optional<platform::ChildProcess> child =
        platform::ChildProcess::Start(tool, nullptr, platform::ChildScope::kWithWhatItStarts);
    ASSERT_TRUE(child.has_value()) << c.name;
    EXPECT_EQ(child->EndsWithHost(), c.tied) << c.name;
    EXPECT_NE(child->Identity().start, 0u) << c.name;
    EXPECT_EQ(child->Wait(15000), platform::WaitOutcome::kExited) << c.name;
    EXPECT_EQ(child->ExitCode().value_or(-1), 2) << c.name;
    platform::faults::ClearFaults();
  }
}

// What the tool starts (a database engine, a licence helper) stays in the
// tool's job: ended with the tool when it runs past its limit, and with
// the job when the call ends, so that none of it writes an export into the
// next call's run. The tool is recorded before it runs a single
// instruction, so that no moment exists where it runs unrecorded.
TEST_F(Desk, WhatTheToolStartsEndsWithItsJob) {
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", folder_ / "vokwqm7.exe");
  ScopedEnvironment helper("VOKWQM7_HELPER", std::string("1"));
  const struct {
    const char* name;
    std::uint32_t tool_sleep_ms;
    bool timed_out;
  } kCases[] = {{"the tool ends, the call ends", 700, false},
                {"the tool runs past its limit", 5000, true}};
  for (const auto& c : kCases) {
    DeleteFileA((folder_ / "vokwqm7.helper").c_str());
    DeleteFileA((folder_ / "vokwqm7.args").c_str());
    ScopedEnvironment sleep("VOKWQM7_SLEEP_MS", std::to_string(c.tool_sleep_ms));
    bool ran_before_recorded = true;
    {
      std::optional<platform::ChildProcess> tool = platform::ChildProcess::Start(
          "\"" + (folder_ / "vokwqm7.exe") + "\" x", nullptr, platform::ChildScope::kWithWhatItStarts,
          {}, [&](const platform::ChildProcess&) {
            Sleep(200);
            ran_before_recorded = Exists(folder_ / "vokwqm7.args");
            return true;
          });
      ASSERT_TRUE(tool.has_value()) << c.name;
      ASSERT_TRUE(tool->EndsWithHost()) << c.name;
      if (c.timed_out) {
        EXPECT_EQ(tool->Wait(1000), platform::WaitOutcome::kTimedOut) << c.name;
        EXPECT_TRUE(tool->Terminate(0)) << c.name;
      } else {
        EXPECT_EQ(tool->Wait(15000), platform::WaitOutcome::kExited) << c.name;
      }
    }  // the job closes here
    EXPECT_FALSE(ran_before_recorded) << c.name << ": the tool ran before it was recorded";
    const std::optional<std::string> pid = WaitForFile(folder_ / "vokwqm7.helper", 2000);
    ASSERT_TRUE(pid) << c.name << ": the tool started no helper";
    const platform::ProcessIdentity helper_process{static_cast<std::uint32_t>(std::stoul(*pid)), 0};
    const std::uint64_t until = NowMs() + 2000;
    while (platform::RunningForMs(helper_process) && NowMs() < until) Sleep(20);
    EXPECT_FALSE(platform::RunningForMs(helper_process)) << c.name << ": its helper lives on";
  }
}

// The folder that keeps the installation may be on a file server whose
// clock is minutes off this machine's: an export is judged by that
// folder's clock, so that neither a fresh one is missed nor an old one
// taken for this run's.
TEST_F(Desk, TheExportIsJudgedByTheClockOfItsFolder) {
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", folder_ / "vokwqm7.exe");
  const struct {
    const char* name;
    int skew_s;           // this machine's clock against the folder's
    const char* backdate;  // the tool leaves its export looking this much older
    int result;
  } kCases[] = {
      {"this machine an hour ahead, a fresh export", 3600, "0", 0},
      {"this machine an hour behind, a fresh export", -3600, "0", 0},
      {"this machine an hour behind, an export from before the run", -3600, "120", -1},
  };
  // A mark of the old fixed name that another program keeps open, as a
  // scanner keeps a file it is looking at: no run may depend on that name.
  const HANDLE planted =
      CreateFileA((folder_ / "vokqm7.clock").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(planted, INVALID_HANDLE_VALUE);
  for (const auto& c : kCases) {
    WriteBytes(folder_ / "voktemp1.rep", "<vok/>");
    ScopedEnvironment backdate("VOKWQM7_BACKDATE_S", std::string(c.backdate));
    platform::faults::FailNext(Operation::kLocalClockSkew, 100000, c.skew_s);
    ReportToolRun run;
    run.work_file = folder_ / "voktemp1.rep";
    run.wait_limit_ms = 15000;
    run.missing_output_message = "missing";
    run.keep_target = folder_ / "kept.xml";
    char text[64] = "untouched";
    vok::MessageBuffer message(text);
    EXPECT_EQ(RunReportTool(folder_.path(), LoginRequest{}, "2026-11-30", run, message), c.result)
        << c.name << ": " << text;
    EXPECT_STREQ(text, c.result == 0 ? "untouched" : "missing") << c.name;
    platform::faults::ClearFaults();
    DeleteFileA((folder_ / "kept.xml").c_str());
  }
  CloseHandle(planted);
  DeleteFileA((folder_ / "vokqm7.clock").c_str());
  WIN32_FIND_DATAA found{};
  const HANDLE marks = FindFirstFileA((folder_ / "vokqm7.clock.*").c_str(), &found);
  EXPECT_EQ(marks, INVALID_HANDLE_VALUE) << "the clock's mark was left behind: " << found.cFileName;
  if (marks != INVALID_HANDLE_VALUE) FindClose(marks);
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
      {"refused", ERROR_ACCESS_DENIED, 1000, InstallLocationLock::Outcome::kRefused, 1000},
      {"short of memory a moment", ERROR_NOT_ENOUGH_MEMORY, 3,
       InstallLocationLock::Outcome::kHeld, 5000},
  };
  for (const auto& c : kCases) {
    platform::faults::FailNext(Operation::kOpenInstallLock, c.failures, c.error);
    const std::uint64_t start = NowMs();
    {
      InstallLocationLock taken = InstallLocationLock::Take(folder_.path(), "GetReportDate");
      EXPECT_EQ(taken.outcome(), c.outcome) << c.name;
    }
    EXPECT_LE(NowMs() - start, c.at_most_ms) << c.name;
    platform::faults::ClearFaults();
    std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(folder_.path());
    ASSERT_TRUE(lock.has_value());
    EXPECT_EQ(lock->RefusedError(), 0u) << c.name << ": nothing refuses it now";
  }
  platform::faults::FailNext(Operation::kOpenInstallLock, 2, ERROR_ACCESS_DENIED);
  std::optional<platform::InstallLock> refused = platform::InstallLock::ForFolder(folder_.path());
  ASSERT_TRUE(refused.has_value());
  EXPECT_FALSE(refused->Made());
  EXPECT_EQ(refused->RefusedError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace vok::wine_test
