// Exclusive use of one report tool installation: every batch call works in
// the same fixed files of the installation folder, so calls from threads,
// processes and users of one machine take turns through this lock.
//
// Windows: a named mutex in the global namespace (one per installation
// folder, open to every user of the machine, so terminal-server sessions
// share it); the system releases it when the holding thread or process
// ends. POSIX: flock() on a file per installation folder in a machine-wide
// lock folder; released when the descriptor is closed, at the latest when
// the process ends. Neither puts anything into the installation folder, and
// no child process inherits the lock.
//
// The holder's record outlives a holder that dies: the next holder finds
// in it the report tool that may still run, and whoever only looks finds
// the holder without taking the lock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

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

  // While this object holds the installation: leaves `holder` where
  // Holder() of other objects reads it. Best effort; nothing is reported.
  void Publish(const InstallLockHolder& holder);

  // What the current or the last holder published and did not take back on
  // release: the holder now, or one that died holding the installation.
  // Nothing when there is no readable record.
  [[nodiscard]] std::optional<InstallLockHolder> Holder() const;

  // Whether the lock object exists for this caller now (made or opened);
  // when not, TryAcquire fails until it can be made.
  [[nodiscard]] bool Made() const;

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
