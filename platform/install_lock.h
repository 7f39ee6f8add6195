// Exclusive use of one report tool installation: every batch call works in
// the same fixed files of the installation folder, so calls from threads,
// processes and users of one machine take turns through this lock.
//
// Windows: a named mutex in the global namespace (one per installation
// folder, open to every user of the machine, so terminal-server sessions
// share it); the system releases it when the holding thread or process
// ends. POSIX: flock() on the installation folder itself, which has no name
// that anyone could remove while it is held; released when the descriptor
// is closed, at the latest when the process ends. Neither puts anything
// into the installation folder, and no child process inherits the lock.
//
// Each user's holder keeps its record in a file that only that user can
// write and nobody else can remove. A record outlives a holder that dies,
// and one whose report tool would not end: the next holder finds in it the
// tool that may still run. A record is only a claim; whoever acts on it
// checks the process it names first (platform/process.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace vok::platform {

// What the holder of an installation tells others about itself.
struct InstallLockHolder {
  std::uint32_t process_id = 0;
  std::string program;  // the holder's executable file (GBK)
  std::string since;    // local time it took the installation, "YYYY-MM-DD HH:MM:SS"
  std::string call;     // what it is doing, e.g. "GetReportDate"
  std::uint64_t process_start = 0;  // with process_id, the holder's ProcessIdentity
  // The report tool the holder runs now (id 0: none), so that whoever takes
  // the installation after the holder died can end the tool first.
  ProcessIdentity tool{};
  std::string tool_program{};  // GBK
  std::uint32_t tool_group = 0;  // the process group the tool leads (POSIX), else 0
  // Set by whoever reads the record, from the file, never from its text:
  // the user the record belongs to (a CurrentUser() text), and whether that
  // is this caller's user.
  std::string owner{};
  bool mine = false;
};

enum class LockOutcome {
  kTaken,   // this object holds the installation now
  kBusy,    // another holder has it (past the limit, for Acquire)
  kFailed,  // the lock itself failed; nobody can be said to hold it
};

class InstallLock {
 public:
  struct State;

  // The lock of the installation folder `gbkFolder`, not yet taken; nothing
  // when the folder does not exist. A lock object that cannot be made (or
  // opened) now is tried again by every TryAcquire, which fails until then.
  [[nodiscard]] static std::optional<InstallLock> ForFolder(const std::string& gbkFolder);

  InstallLock(InstallLock&&) noexcept;
  InstallLock& operator=(InstallLock&&) noexcept;
  InstallLock(const InstallLock&) = delete;
  InstallLock& operator=(const InstallLock&) = delete;
  // Releases the installation when this object holds it.
  ~InstallLock();

  // One try, without waiting.
  [[nodiscard]] LockOutcome TryAcquire();

  // Waits at most `limitMs` milliseconds for the installation; kFailed as
  // soon as the lock fails.
  [[nodiscard]] LockOutcome Acquire(std::uint32_t limitMs);

  // While this object holds the installation: leaves `holder` as this
  // user's record, where Records() of other objects reads it. False when it
  // could not be written. The record is taken back on release only when
  // the last one published names no report tool.
  [[nodiscard]] bool Publish(const InstallLockHolder& holder);

  // Every record of the installation that belongs to the user whose file
  // holds it, this caller's and other users' (those this caller can read):
  // holders now, holders that died holding it, and tools that would not end.
  [[nodiscard]] std::vector<InstallLockHolder> Records() const;

  // Of Records(), the holder whose process runs now, else one whose report
  // tool still runs, else any; nothing when there is no readable record.
  [[nodiscard]] std::optional<InstallLockHolder> Holder() const;

  // Whether the lock object exists for this caller now (made or opened);
  // when not, TryAcquire fails until it can be made.
  [[nodiscard]] bool Made() const;

  // Why this caller's records cannot be kept (a folder another user made
  // or can write, a link, ...), in words; empty when they can. Without
  // them TryAcquire fails: a tool nobody could find must not run.
  [[nodiscard]] std::string RecordProblem() const;

  // Whether some object holds the installation now, found without taking
  // it for longer than the look; nothing when the lock cannot be asked.
  [[nodiscard]] std::optional<bool> Busy() const;

  // The system's error when the lock is refused to this caller for good
  // (Windows: a Low-integrity or AppContainer host may not make or open it),
  // so that waiting cannot help; 0 otherwise.
  [[nodiscard]] std::uint32_t RefusedError() const;

  // Whether the installation folder is on a network drive and a lock file
  // in it keeps out the other machines too (Windows; the mutex is one
  // machine's only).
  [[nodiscard]] bool GuardsShare() const;

  // Where the lock lives, for the support tools ("Global\VOKQM7.install...").
  [[nodiscard]] std::string Name() const;

 private:
  explicit InstallLock(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace vok::platform
