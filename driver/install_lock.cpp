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

namespace {

using Clock = std::chrono::steady_clock;

// How often a lock that failed is tried again.
constexpr std::uint32_t kFailedLockPauseMs = 50;

std::uint32_t MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<std::uint32_t>(left.count()) : 0;
}

void TraceWait(const std::optional<platform::InstallLockHolder>& holder) {
  if (holder) {
    trace::Record("install.wait", {{"holder_pid", holder->process_id},
                                   {"holder_program", holder->program},
                                   {"holder_call", holder->call},
                                   {"holder_since", holder->since}});
  } else {
    trace::Record("install.wait", {{"holder", "unknown"}});
  }
}

// Right after taking the installation: a record still there is that of a
// holder that ended without letting go. Its report tool may still run and
// write its export into this call's run, so it is ended first, and this
// call touches nothing until it is gone. False when it would not end
// before `deadline`.
bool EndOrphanedTool(const platform::InstallLock& lock, Clock::time_point deadline) {
  const std::optional<platform::InstallLockHolder> before = lock.Holder();
  // Without its start time a tool cannot be told from a process that got
  // its id later: such a record is never acted on.
  if (!before || before->tool.id == 0 || before->tool.start == 0) return true;
  const std::optional<std::uint64_t> age = platform::RunningForMs(before->tool);
  if (!age) return true;
  for (;;) {
    const std::uint32_t left = MillisecondsLeft(deadline);
    switch (platform::EndProcess(before->tool, left < 5000 ? left : 5000)) {
      case platform::EndOutcome::kNotRunning:
      case platform::EndOutcome::kEnded:
        trace::Record("install.orphan_ended", {{"tool_pid", before->tool.id},
                                               {"tool_program", before->tool_program},
                                               {"age_ms", *age},
                                               {"holder_pid", before->process_id}});
        return true;
      case platform::EndOutcome::kFailed:
        break;
    }
    if (MillisecondsLeft(deadline) == 0) {
      trace::Record("install.orphan_not_ended",
                    {{"tool_pid", before->tool.id}, {"tool_program", before->tool_program}});
      return false;
    }
    platform::SleepMilliseconds(kFailedLockPauseMs);
  }
}

}  // namespace

InstallLocationLock InstallLocationLock::Take(const std::string& location, const char* call) {
  InstallLocationLock taken;
  if (!locking.load(std::memory_order_relaxed)) return taken;
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) {
    // No folder: every file step of the call fails on its own.
    trace::Record("install.lock", {{"outcome", "not to be had"}});
    return taken;
  }

  const std::uint32_t limit = wait_limit_ms.load(std::memory_order_relaxed);
  const auto start = Clock::now();
  const Clock::time_point deadline =
      start + std::chrono::milliseconds(limit != 0 ? limit : kInstallWaitLimitMs);
  platform::LockOutcome outcome = lock->TryAcquire();
  // Waiting for a lock this caller may never have would hold its host for
  // the whole limit for nothing.
  if (outcome == platform::LockOutcome::kFailed && lock->RefusedError() != 0) {
    trace::Record("install.lock_refused",
                  {{"lock", lock->Name()}, {"error", lock->RefusedError()}});
    taken.outcome_ = Outcome::kTimedOut;
    return taken;
  }
  bool told_busy = false;
  bool told_failed = false;
  while (outcome != platform::LockOutcome::kTaken) {
    if (outcome == platform::LockOutcome::kBusy && !told_busy) {
      taken.waited_for_ = lock->Holder();
      TraceWait(taken.waited_for_);
      told_busy = true;
    }
    if (outcome == platform::LockOutcome::kFailed && !told_failed) {
      trace::Record("install.lock_failed", {{"lock", lock->Name()}});
      told_failed = true;
    }
    const std::uint32_t left = MillisecondsLeft(deadline);
    if (left == 0) break;
    if (outcome == platform::LockOutcome::kBusy) {
      outcome = lock->Acquire(left);
    } else {
      platform::SleepMilliseconds(left < kFailedLockPauseMs ? left : kFailedLockPauseMs);
      outcome = lock->TryAcquire();
    }
  }
  taken.waited_ms_ = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
  if (outcome != platform::LockOutcome::kTaken || !EndOrphanedTool(*lock, deadline)) {
    taken.outcome_ = Outcome::kTimedOut;
    trace::Record("install.lock", {{"outcome", "timed out"}, {"waited_ms", taken.waited_ms_}});
    return taken;
  }
  trace::Record("install.lock", {{"outcome", "held"},
                                 {"lock", lock->Name()},
                                 {"share_lock", lock->GuardsShare() ? "yes" : "no"},
                                 {"waited_ms", taken.waited_ms_}});
  const platform::ProcessIdentity me = platform::CurrentProcessIdentity();
  taken.holder_.process_id = me.id;
  taken.holder_.process_start = me.start;
  taken.holder_.program = platform::ExecutablePath();
  taken.holder_.since = FormatLocalTime(platform::Now());
  taken.holder_.call = call;
  lock->Publish(taken.holder_);
  taken.lock_ = std::move(lock);
  taken.outcome_ = Outcome::kHeld;
  return taken;
}

void InstallLocationLock::NoteTool(const platform::ChildProcess* tool, const std::string& program) {
  if (!lock_) return;
  holder_.tool = tool != nullptr ? tool->Identity() : platform::ProcessIdentity{};
  holder_.tool_program = tool != nullptr ? program : std::string();
  lock_->Publish(holder_);
}

namespace testing {

void SetInstallWaitLimitMs(std::uint32_t ms) { wait_limit_ms.store(ms, std::memory_order_relaxed); }

void SetInstallLocking(bool on) { locking.store(on, std::memory_order_relaxed); }

}  // namespace testing
}  // namespace vok
