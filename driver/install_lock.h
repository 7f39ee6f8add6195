// One batch call at a time per installation. Every batch export works in the
// same fixed files of the installation folder (the work files and the cell
// exports), so a call takes the installation for itself before it removes
// the first stale file and keeps it until its last file work is done; calls
// from other threads, processes or users of the machine wait their turn.
// A lock that fails counts as a busy one: a call goes without it only where
// there is no installation folder to work in.
//
// The report tool must not outlive its call's claim on the installation:
// a call that takes the installation after its holder died ends the tool
// that holder left running, and waits until it is gone, before it touches
// a file. It ends only its own user's tool, and only after showing that the
// process is the installation's report tool; another user's it waits for,
// and gives up on at the wait limit with every record as it found it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "driver/report_tool.h"
#include "platform/install_lock.h"

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
    kTimedOut,   // another call held it (or the lock failed, or a dead
                 // holder's tool would not end) for longer than the wait limit
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

  // While held: tells others the report tool this call runs now (`program`,
  // its GBK path), or that it runs none (nullptr). False when the record
  // could not be written: a tool that nobody could find must not go on.
  [[nodiscard]] bool NoteTool(const platform::ChildProcess* tool, const std::string& program);

 private:
  InstallLocationLock() = default;

  std::optional<platform::InstallLock> lock_;
  platform::InstallLockHolder holder_;
  Outcome outcome_ = Outcome::kUnguarded;
  std::optional<platform::InstallLockHolder> waited_for_;
  std::uint64_t waited_ms_ = 0;
};

namespace testing {

// The wait limit for the calls that follow (0: kInstallWaitLimitMs again).
// For tests that must not wait twenty minutes; not exported by the library.
void SetInstallWaitLimitMs(std::uint32_t ms);

// Switches the lock off and on, for the benchmark that measures its cost.
void SetInstallLocking(bool on);

}  // namespace testing
}  // namespace vok
