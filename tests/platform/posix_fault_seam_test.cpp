// The fault seam of the POSIX layer, operation by operation: armed for its
// next call, each operation's own function fails (or says what the fault
// makes it say) with the chosen error, and counts exactly one call. An
// operation added to the seam without a row here fails the coverage check.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <set>

#include "platform/codepage.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/install_lock.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/trace_file.h"
#include "posix_test_support.h"

namespace vok::platform_test {
namespace {

using platform::faults::Operation;

TEST(PosixFaultSeam, EveryOperationFailsOnceWithItsError) {
  TempDir dir;
  const std::string file = dir / "a.txt";
  const std::string copy = dir / "b.txt";
  const auto fresh = [&] { WriteUtf8(file, "bytes"); };
  const struct {
    Operation op;
    int error;
    std::function<bool()> failed;  // whether the call did what the fault asks
  } kRows[] = {
      {Operation::kCopyFile, EACCES,
       [&] { return platform::CopyFile(file, copy).code() == EACCES; }},
      {Operation::kDeleteFile, EACCES,
       [&] { return platform::DeleteFile(file).code() == EACCES && platform::PathExists(file); }},
      {Operation::kSetFileAttributesNormal, EPERM,
       [&] { return platform::SetFileAttributesNormal(file).code() == EPERM; }},
      {Operation::kWriteFile, ENOSPC,
       [&] { return platform::WriteWholeFile(copy, "0123456789").code() == ENOSPC; }},
      {Operation::kStartProcess, ENOMEM,
       [&] {
         int error = 0;
         return !platform::ChildProcess::Start("\"/bin/true\"", &error) && error == ENOMEM;
       }},
      {Operation::kOpenInstallLock, EMFILE,
       [&] {
         const std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(dir.Path());
         return lock && !lock->Made();
       }},
      {Operation::kTakeInstallLock, EAGAIN,
       [&] {
         std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(dir.Path());
         return lock && lock->Acquire(1000) == platform::LockOutcome::kFailed;
       }},
      {Operation::kWriteTrace, ENOSPC,
       [&] {
         std::optional<platform::TraceFile> trace = platform::TraceFile::Open(dir / "t.log", 1 << 20);
         return trace && !trace->Append("line\n");
       }},
      {Operation::kOpenProcess, EACCES,
       [&] {
         const std::optional<platform::ProcessIdentity> me =
             platform::IdentityOfProcess(platform::ProcessId());
         const platform::ProcessEntry entry{*me, 0, 0, 0, "self"};
         return !platform::LookAtProcess(entry, file).user;
       }},
      {Operation::kDeleteLeavesFile, 1,
       [&] { return platform::DeleteFile(file).ok() && platform::PathExists(file); }},
      {Operation::kAnsiCodePage, 65001, [&] { return platform::AnsiCodePage() == 65001u; }},
      {Operation::kFolderIsRemote, 1, [&] { return platform::IsOnNetworkDrive(dir.Path()); }},
      {Operation::kLocalClockSkew, 3600,
       [&] {
         const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch());
         return platform::FileTimeNow() - static_cast<std::uint64_t>(now.count()) >=
                platform::FileTimeSpan(3599);
       }},
  };
  // Windows' own: its jobs, file owners, integrity levels and files that
  // stay while being deleted.
  const std::set<Operation> kNotHere = {Operation::kAssignJob, Operation::kFileOwner,
                                        Operation::kTokenIntegrity, Operation::kOpenOwnRecord};
  std::set<Operation> covered = kNotHere;
  for (const auto& row : kRows) {
    SCOPED_TRACE(static_cast<int>(row.op));
    fresh();
    platform::faults::FailNth(row.op, 1, row.error);
    EXPECT_TRUE(row.failed());
    EXPECT_EQ(platform::faults::CallCount(row.op), 1);
    platform::faults::ClearFaults();
    covered.insert(row.op);
  }
  EXPECT_EQ(covered.size(), static_cast<std::size_t>(Operation::kCount))
      << "an operation of the seam has no row";
}

}  // namespace
}  // namespace vok::platform_test
