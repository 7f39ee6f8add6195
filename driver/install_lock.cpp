#include "driver/install_lock.h"

#include <atomic>
#include <chrono>

#include "platform/clock.h"
#include "platform/program.h"
#include "request/text_rules.h"
#include "request/trace.h"

namespace vok {
namespace {

std::atomic<std::uint32_t> wait_limit_ms{0};
std::atomic<bool> locking{true};

}  // namespace

InstallLocationLock InstallLocationLock::Take(const std::string& location, const char* call) {
  InstallLocationLock taken;
  if (!locking.load(std::memory_order_relaxed)) return taken;
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) {
    trace::Record("install.lock", {{"outcome", "not to be had"}});
    return taken;
  }

  platform::LockOutcome outcome = lock->TryAcquire();
  if (outcome == platform::LockOutcome::kBusy) {
    taken.waited_for_ = lock->Holder();
    if (taken.waited_for_) {
      const platform::InstallLockHolder& h = *taken.waited_for_;
      trace::Record("install.wait", {{"holder_pid", h.process_id},
                                     {"holder_program", h.program},
                                     {"holder_call", h.call},
                                     {"holder_since", h.since}});
    } else {
      trace::Record("install.wait", {{"holder", "unknown"}});
    }
    const std::uint32_t limit = wait_limit_ms.load(std::memory_order_relaxed);
    const auto start = std::chrono::steady_clock::now();
    outcome = lock->Acquire(limit != 0 ? limit : kInstallWaitLimitMs);
    taken.waited_ms_ = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                              start)
            .count());
  }
  switch (outcome) {
    case platform::LockOutcome::kTaken:
      break;
    case platform::LockOutcome::kBusy:
      taken.outcome_ = Outcome::kTimedOut;
      trace::Record("install.lock", {{"outcome", "timed out"}, {"waited_ms", taken.waited_ms_}});
      return taken;
    case platform::LockOutcome::kFailed:
      trace::Record("install.lock", {{"outcome", "not to be had"}, {"lock", lock->Name()}});
      return taken;
  }
  trace::Record("install.lock",
                {{"outcome", "held"}, {"lock", lock->Name()}, {"waited_ms", taken.waited_ms_}});
  platform::InstallLockHolder holder;
  holder.process_id = platform::ProcessId();
  holder.program = platform::ExecutablePath();
  holder.since = FormatLocalTime(platform::Now());
  holder.call = call;
  lock->Publish(holder);
  taken.lock_ = std::move(lock);
  taken.outcome_ = Outcome::kHeld;
  return taken;
}

namespace testing {

void SetInstallWaitLimitMs(std::uint32_t ms) { wait_limit_ms.store(ms, std::memory_order_relaxed); }

void SetInstallLocking(bool on) { locking.store(on, std::memory_order_relaxed); }

}  // namespace testing
}  // namespace vok
