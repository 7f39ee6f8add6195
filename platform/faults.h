// Injected failures for the tests: they make the Nth copy, delete, attribute
// change, file write, process start or installation lock fail with a chosen
// error (errno on POSIX, a Win32 error code on Windows), to reach failure
// paths (a full disk, a refused start, another user's process) that real
// files cannot reach when the tests run as root or under Wine. Nothing in
// the library arms a fault, so outside the tests every check is one
// relaxed load.
#pragma once

namespace vok::platform::faults {

enum class Operation {
  kCopyFile,                 // CopyFile
  kDeleteFile,               // DeleteFile
  kSetFileAttributesNormal,  // SetFileAttributesNormal
  kWriteFile,                // the write of WriteWholeFile and ReplaceFileAtomically
  kStartProcess,             // ChildProcess::Start and StartDetached
  kOpenInstallLock,          // InstallLock::ForFolder: the lock file (Windows: the
                             // mutex, made or opened) is not had
  kTakeInstallLock,          // InstallLock::TryAcquire (and so Acquire): the lock fails
  kWriteTrace,               // TraceFile::Append
  kOpenProcess,              // opening another process to look at it (the list
                             // of processes still shows it)
  kOpenOwnRecord,            // InstallLock::Publish opening this user's record
                             // (Windows: one still being deleted, or held by a
                             // scanner, refuses it for a moment)
  // The ones below change what the system says rather than fail a call:
  kDeleteLeavesFile,  // DeleteFile reports success and leaves the file, as
                      // Windows does when a virtualized copy hid a real one
  kAnsiCodePage,      // the ANSI code page the host has (the "error" is it)
  kAssignJob,         // the tool cannot join a job of its own (Windows 7 in
                      // a host's job)
  kFolderIsRemote,    // the installation folder is on a network drive (doctor)
  kFileOwner,         // the owner a file's security names (Windows; the
                      // "error" says whose: 544 the administrators, 18 the
                      // system, any other number another user)
  kTokenIntegrity,    // the integrity level of the host's token (Windows; the
                      // "error" is its RID, 0x1000 for Low)
  kLocalClockSkew,    // the local clock is off from the file system's (a
                      // file server's) by the "error" in seconds: ahead
                      // when positive, behind when negative (FileTimeNow)
  kCount,
};

// The `n`th call of `op` from now on (1: the next one) fails with `error`;
// the calls before and after it run normally. Replaces an earlier fault
// armed for the same operation.
void FailNth(Operation op, int n, int error);

// The next `count` calls of `op` all fail with `error`, as a file that some
// other program keeps busy for a while.
void FailNext(Operation op, int count, int error);

// Disarms every fault.
void ClearFaults();

// How many calls of `op` were made since the last FailNth or FailNext for
// it, the failed ones included; calls are counted only while some fault is armed.
int CallCount(Operation op);

}  // namespace vok::platform::faults

namespace vok::platform {

// Called at the entry of each operation above: the chosen error when this
// call is the one to fail, else 0. Each platform layer hands the error on
// as its system would (InjectedFailure below).
int InjectedError(faults::Operation op);

// True, with errno (POSIX) or the thread's last error (Windows) set to the
// chosen error, when this call is the one to fail.
bool InjectedFailure(faults::Operation op);

}  // namespace vok::platform
