// The fault seam of the Win32 layer, operation by operation, as the POSIX
// layer's table tries it: armed for its next call, each operation's own
// function fails (or says what the fault makes it say) with the chosen
// error, and counts exactly one call. The failure rows of the other tests
// reach the Windows layer only through these hooks.
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/trace_file.h"
#include "platform/win32/security.h"
#include "platform/win32/unique_handle.h"
// After the platform headers: the fixture brings <windows.h>, whose macros
// would rename their functions.
#include "filing_fixture.h"
#include "interface/export_call.h"
#include "interface/requests.h"
#include "wine_support.h"
#include "windows_headers.h"

// platform/files.h names functions as <windows.h> names macros.
#undef DeleteFile
#undef CopyFile

namespace vok::wine_test {
namespace {

using platform::faults::Operation;

TEST(Win32FaultSeam, EveryOperationFailsOnceWithItsError) {
  ScratchFolder dir("seam");
  const std::string file = dir / "a.txt";
  const std::string copy = dir / "b.txt";
  const std::string tool = "\"" + ProgramFolder() + "\\vokwqm7.exe\" not-a-batch-command";
  const struct {
    Operation op;
    int error;
    std::function<bool()> failed;  // whether the call did what the fault asks
  } kRows[] = {
      {Operation::kCopyFile, ERROR_ACCESS_DENIED,
       [&] { return platform::CopyFile(file, copy).code() == ERROR_ACCESS_DENIED; }},
      // Access denied may be a delete pending, which is retried.
      {Operation::kDeleteFile, ERROR_WRITE_PROTECT,
       [&] { return platform::DeleteFile(file).code() == ERROR_WRITE_PROTECT && Exists(file); }},
      {Operation::kSetFileAttributesNormal, ERROR_ACCESS_DENIED,
       [&] { return platform::SetFileAttributesNormal(file).code() == ERROR_ACCESS_DENIED; }},
      {Operation::kWriteFile, ERROR_DISK_FULL,
       [&] {
         return platform::WriteWholeFile(copy, "0123456789").code() == ERROR_DISK_FULL &&
                ReadBytes(copy) == "01234";  // the disk filled part way
       }},
      {Operation::kStartProcess, ERROR_NOT_ENOUGH_MEMORY,
       [&] {
         int error = 0;
         return !platform::ChildProcess::Start(tool, &error) && error == ERROR_NOT_ENOUGH_MEMORY;
       }},
      {Operation::kOpenInstallLock, ERROR_NOT_ENOUGH_MEMORY,
       [&] {
         const std::optional<platform::InstallLock> lock =
             platform::InstallLock::ForFolder(dir.path());
         return lock && !lock->Made();
       }},
      {Operation::kTakeInstallLock, ERROR_NOT_ENOUGH_MEMORY,
       [&] {
         std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(dir.path());
         return lock && lock->Acquire(1000) == platform::LockOutcome::kFailed;
       }},
      {Operation::kWriteTrace, ERROR_DISK_FULL,
       [&] {
         std::optional<platform::TraceFile> trace =
             platform::TraceFile::Open(dir / "t.log", 1 << 20);
         return trace && !trace->Append("line\n");
       }},
      {Operation::kOpenProcess, ERROR_ACCESS_DENIED,
       [&] {
         const platform::ProcessEntry entry{platform::CurrentProcessIdentity(), 0, 0, 0, "self"};
         return !platform::LookAtProcess(entry, file).user;
       }},
      {Operation::kOpenOwnRecord, ERROR_INVALID_OWNER,
       [&] {
         std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(dir.path());
         return lock && lock->TryAcquire() == platform::LockOutcome::kTaken &&
                lock->Publish({1, "C:\\client.exe", "2026-12-10 08:00:00.000", "test"}).code() ==
                    ERROR_INVALID_OWNER;
       }},
      {Operation::kDeleteLeavesFile, 1,
       [&] { return platform::DeleteFile(file).ok() && Exists(file); }},
      {Operation::kAnsiCodePage, 65001, [&] { return platform::AnsiCodePage() == 65001u; }},
      {Operation::kAssignJob, ERROR_ACCESS_DENIED,
       [&] {
         std::optional<platform::ChildProcess> child = platform::ChildProcess::Start(
             tool, nullptr, platform::ChildScope::kWithWhatItStarts);
         const bool untied = child && !child->EndsWithHost();
         if (child) static_cast<void>(child->Wait(15000));
         return untied;
       }},
      {Operation::kFolderIsRemote, 1, [&] { return platform::IsOnNetworkDrive(dir.path()); }},
      {Operation::kFileOwner, 1001,
       [&] {
         const platform::win32::UniqueHandle handle(
             CreateFileA(file.c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
         return platform::win32::FileOwnerSid(handle.get()) == "S-1-5-21-1-2-3-1001";
       }},
      {Operation::kTokenIntegrity, 0x1000, [&] { return platform::HostRefusal().has_value(); }},
      {Operation::kLocalClockSkew, 3600,
       [&] {
         FILETIME now{};
         GetSystemTimeAsFileTime(&now);
         const std::uint64_t ticks =
             (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
         return platform::FileTimeNow() - ticks >= platform::FileTimeSpan(3599);
       }},
  };
  std::set<Operation> covered;
  for (const auto& row : kRows) {
    SCOPED_TRACE(static_cast<int>(row.op));
    WriteBytes(file, "bytes");
    platform::faults::FailNth(row.op, 1, row.error);
    EXPECT_TRUE(row.failed()) << GetLastError();
    EXPECT_EQ(platform::faults::CallCount(row.op), 1);
    platform::faults::ClearFaults();
    covered.insert(row.op);
  }
  EXPECT_EQ(covered.size(), static_cast<std::size_t>(Operation::kCount))
      << "an operation of the seam has no row";
}

// The failure rows of a combined filing, reached through the Win32 layer's
// hooks: the core linked into this program calls the same layer the DLL
// is built of. Each failing step gives its own message, and the earlier
// document stays whole.
class ExportFaults : public Filing {};

TEST_F(ExportFaults, EachFailingStepGivesItsMessageAndKeepsTheEarlierDocument) {
  InstallNational();
  const struct {
    Operation op;
    int nth;
    int error;
    const char* message;
  } kRows[] = {
      {Operation::kCopyFile, 1, ERROR_WRITE_PROTECT, u8"复制损益表模版文件出错，请检查模版文件是否存在!"},
      {Operation::kCopyFile, 2, ERROR_WRITE_PROTECT, u8"复制资产负债表模版文件出错，请检查模版文件是否存在!"},
      {Operation::kStartProcess, 1, ERROR_NOT_ENOUGH_MEMORY, u8"在生成损益数据时,调用接口程序失败!"},
      {Operation::kCopyFile, 3, ERROR_DISK_FULL, u8"复制损益表数据文件出错!"},
      {Operation::kStartProcess, 2, ERROR_NOT_ENOUGH_MEMORY, u8"在生成资产负债数据时,调用接口程序失败!"},
      {Operation::kCopyFile, 4, ERROR_DISK_FULL, u8"复制资产负债表数据文件出错!"},
      {Operation::kWriteFile, 1, ERROR_DISK_FULL, u8"生成最终数据文件错误,请检查导出文件名称是否合法!"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.message);
    WriteBytes(output_, "the earlier document");
    char buffer[64] = "untouched";
    platform::faults::FailNth(row.op, row.nth, row.error);
    ExportCall call("ExportFaults", buffer);
    EXPECT_EQ(call.Run([&](ExportCall& c) {
                return GetNationalFiling(c, login_.c_str(), output_.c_str());
              }),
              -1);
    EXPECT_EQ(std::string(buffer), Gbk(row.message));
    EXPECT_EQ(platform::faults::CallCount(row.op), row.nth);
    EXPECT_EQ(ReadBytes(output_).value_or("<none>"), "the earlier document");
    platform::faults::ClearFaults();
  }
}

}  // namespace
}  // namespace vok::wine_test
