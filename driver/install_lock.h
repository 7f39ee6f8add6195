// One batch call at a time per installation. Every batch export works in the
// same fixed files of the installation folder (the work files and the cell
// exports), so a call takes the installation for itself before it removes
// the first stale file and keeps it until its last file work is done; calls
// from other threads, processes, users or machines wait their turn.
//
// The report tool must not outlive its call's claim on the installation:
// a call that takes the installation looks at every report tool of it that
// still runs before it touches a file. One that its own user's record names
// (its caller died) it ends; any other (another user's, or one it cannot
// tell) it waits for, and never ends. A record whose tool is gone is
// dropped, never waited on.
//
// A call that cannot have the lock for a reason that waiting cannot mend
// is refused at once: a call made on a thread that is inside a call on the
// same installation already (a window procedure run by a sent message in
// the middle of it), a host the system keeps from every shared lock, a
// user whose records cannot be kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "driver/report_tool.h"
#include "platform/deadline.h"
#include "platform/install_lock.h"
#include "platform/install_lock_rules.h"

namespace vok {

// How long a call waits for another call on the same installation: what the
// holder may legitimately take, two tool runs at their limit and the file
// work around them.
inline constexpr std::uint32_t kInstallWaitLimitMs = 2 * kReportToolWaitLimitMs + 120000;

class InstallLocationLock {
 public:
  enum class Outcome {
    kHeld,       // this call has the installation to itself
    kUnguarded,  // the installation folder is missing: no call can work in it
    kTimedOut,   // another call held it, or a report tool ran in it (or the
                 // lock failed, or this user's orphaned tool would not end),
                 // for longer than the wait limit
    kRefused,    // refused at once: waiting could not help (the trace says why)
  };

  // Waits for the installation `location` (the InstallLocation, GBK) for
  // the export `call`, and publishes this process as its holder.
  static InstallLocationLock Take(const std::string& location, const char* call);

  [[nodiscard]] Outcome outcome() const { return outcome_; }
  // Who held the installation when this call found it taken.
  [[nodiscard]] const std::optional<platform::InstallLockHolder>& waited_for() const {
    return waited_for_;
  }
  [[nodiscard]] std::uint64_t waited_ms() const { return waited_ms_; }

  // While held: tells the next call of this user the report tool this call
  // runs now (`program`, its GBK path), or that it runs none (nullptr).
  // False when the record could not be written: a tool that nobody could
  // find must not run.
  [[nodiscard]] bool NoteTool(const platform::ChildProcess* tool, const std::string& program);

 private:
  InstallLocationLock() = default;
  // The steps of Take.
  std::optional<platform::InstallLock> Enter(const std::string& location);
  bool WaitUntilClear(const std::string& location, platform::InstallLock lock,
                      const platform::Deadline& deadline);
  void Hold(const char* call);
  void Refuse(const char* why, const std::string& detail = {});

  // Keeps this thread marked as inside a call on the installation for as
  // long as the call lasts, the wait for the lock included.
  std::optional<platform::InstallationEntry> entry_;
  std::optional<platform::InstallLock> lock_;
  platform::InstallLockHolder holder_;
  Outcome outcome_ = Outcome::kUnguarded;
  std::optional<platform::InstallLockHolder> waited_for_;
  std::uint64_t waited_ms_ = 0;
};

namespace seams {

// The wait limit for the calls that follow (0: kInstallWaitLimitMs again).
// For tests that must not wait twenty minutes; not exported by the library.
void SetInstallWaitLimitMs(std::uint32_t ms);

// Switches the lock off and on, for the benchmark that measures its cost.
void SetInstallLocking(bool on);

}  // namespace seams
}  // namespace vok
