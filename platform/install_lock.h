// Exclusive use of one report tool installation: every batch call works in
// the same fixed files of the installation folder, so calls from threads,
// processes, users and machines take turns through this lock.
//
// What each platform promises:
// - Windows: a named mutex in the global namespace, one per installation
//   folder and open to every user, so that the sessions of a terminal
//   server share it; the system hands it on when its holder's thread ends.
//   Then "vokqm7.lock" in the installation folder itself, opened with no
//   sharing, so that the machine that has the folder on its disk and those
//   that map it keep each other out as well. The mutex lets a thread that
//   holds it in again; InstallationEntry (install_lock_rules.h) keeps that
//   from ever happening.
// - POSIX: flock() on the installation folder itself, which has no name
//   that anyone could remove while it is held. It serves one machine.
// Neither is inherited by a child process, and both are released when the
// holder ends, however it ends.
//
// Each user keeps its own record, one file per installation in a folder
// that only that user (and the system's administrators) can write:
// Windows %LOCALAPPDATA%\VOKQM7, POSIX $XDG_RUNTIME_DIR/vokqm7 or
// ~/.vokqm7. No other user's record is ever read: a call only ever ends its
// own user's tool, and sees other users' tools in the list of processes. A
// record outlives a holder that dies, and one whose report tool would not
// end: the next holder of the same user finds in it the tool that may
// still run. A record is only a claim; whoever acts on it checks the
// process it names first (install_lock_rules.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/system_error.h"

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
  std::string boot{};  // BootIdentity() when written
};

enum class LockOutcome {
  kTaken,    // this object holds the installation now
  kBusy,     // another holder has it (past the limit, for Acquire)
  kFailed,   // the lock itself failed for now; nobody can be said to hold it
  kRefused,  // the lock is refused to this caller for good (RefusedError)
};

// Why this host may take no installation lock at all, in words (Windows: a
// Low-integrity or AppContainer process may neither make nor open a lock
// that other users' calls share); nothing when it may. Told from the host's
// token before anything is made.
[[nodiscard]] std::optional<std::string> HostRefusal();

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
  // user's record; fails when it could not be written. The record is taken
  // back on release only when the last one published names no report tool
  // (RecordGoesWithRelease).
  [[nodiscard]] Status Publish(const InstallLockHolder& holder);

  // This user's record of the installation: a holder now, one that died
  // holding it, or one whose tool would not end; nothing when there is none
  // that this user's calls could have written.
  [[nodiscard]] std::optional<InstallLockHolder> OwnRecord() const;

  // While held: removes this user's record, which names a tool that is
  // gone; fails when it is still there.
  Status DropOwnRecord();

  // OwnRecord(), when its holder's process runs now.
  [[nodiscard]] std::optional<InstallLockHolder> Holder() const;

  // Where this user's record of the installation is kept (GBK).
  [[nodiscard]] std::string RecordPath() const;

  // The system's error of the last try that failed (kFailed); 0 when none.
  [[nodiscard]] std::uint32_t FailureCode() const;

  // Whether the lock object exists for this caller now (made or opened);
  // when not, TryAcquire fails until it can be made.
  [[nodiscard]] bool Made() const;

  // Why this user's records cannot be kept (a folder that another user
  // owns or can write, a link, no folder to keep them in), in words;
  // nothing when they can. Looks only: the folder is made by the first Publish.
  // Without records no call may run: a tool nobody could find must not.
  [[nodiscard]] std::optional<std::string> RecordProblem() const;

  // Whether some object holds the installation now, found without taking
  // it for longer than the look; nothing when the lock cannot be asked.
  [[nodiscard]] std::optional<bool> Busy() const;

  // The system's error when the lock is refused to this caller for good
  // (Windows: the mutex to a host that may not open it, the lock file to a
  // user that may not read it), so that waiting cannot help; 0 otherwise.
  [[nodiscard]] std::uint32_t RefusedError() const;

  // Whether a lock file in the installation folder keeps out the other
  // machines that map the folder too (Windows).
  [[nodiscard]] bool GuardsShare() const;

  // Where the lock lives, for the support tools ("Global\VOKQM7.install...").
  [[nodiscard]] std::string Name() const;

 private:
  explicit InstallLock(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace vok::platform
