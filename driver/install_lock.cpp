#include "driver/install_lock.h"

#include <atomic>
#include <chrono>

#include "driver/paths.h"
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

const char* Reason(platform::RecordedTool what) {
  switch (what) {
    case platform::RecordedTool::kOtherUsers: return "another user's tool";
    case platform::RecordedTool::kUnknown: return "cannot be looked at";
    case platform::RecordedTool::kNotTheTool: return "no report tool of this installation";
    default: return "would not end";
  }
}

// `event` about the tool `record` names, with one more field when given.
void TraceTool(const char* event, const platform::InstallLockHolder& record,
               std::optional<trace::Field> extra = std::nullopt) {
  const trace::Field fields[] = {{"tool_pid", record.tool.id},
                                 {"tool_program", record.tool_program},
                                 {"record_user", record.owner},
                                 {"holder_pid", record.process_id},
                                 extra.value_or(trace::Field("", ""))};
  trace::Record(event, fields, extra ? 5 : 4);
}

enum class Recorded {
  kClear,   // no recorded tool runs any more
  kOthers,  // another user's tool runs (or one that cannot be looked at)
  kStuck,   // this user's tool would not end before the deadline
};

// Right after taking the installation: a record that names a report tool
// is that of a holder that ended without letting go, or whose tool would
// not end. The tool may still run and write its export into this call's
// run, so this call touches nothing until it is gone. It ends only a tool
// of its own user that it can show to be the installation's; another
// user's, or one it cannot look at, it must wait for. Records are never
// changed here. `told` keeps each wait traced once per call.
Recorded EndRecordedTools(const platform::InstallLock& lock, const std::string& program,
                          Clock::time_point deadline, bool& told) {
  for (const platform::InstallLockHolder& record : lock.Records()) {
    // Without its start time a tool cannot be told from a process that got
    // its id later: such a record is never acted on.
    if (record.tool.id == 0 || record.tool.start == 0) continue;
    const std::optional<std::uint64_t> age = platform::RunningForMs(record.tool);
    for (;;) {
      const platform::RecordedTool what = platform::InspectRecordedTool(
          record.tool, record.tool_group, record.owner, program);
      if (what == platform::RecordedTool::kGone) break;
      if (what == platform::RecordedTool::kNotTheTool) {
        TraceTool("install.record_ignored", record, trace::Field("reason", Reason(what)));
        break;
      }
      if (what != platform::RecordedTool::kMine) {
        if (!told) {
          TraceTool("install.orphan_waited_for", record, trace::Field("reason", Reason(what)));
          told = true;
        }
        return Recorded::kOthers;
      }
      const std::uint32_t left = MillisecondsLeft(deadline);
      if (platform::EndRecordedTool(record.tool, record.tool_group, left < 5000 ? left : 5000) !=
          platform::EndOutcome::kFailed) {
        TraceTool("install.orphan_ended", record, trace::Field("age_ms", age.value_or(0)));
        break;
      }
      if (MillisecondsLeft(deadline) == 0) {
        TraceTool("install.orphan_not_ended", record, trace::Field("reason", Reason(what)));
        return Recorded::kStuck;
      }
      platform::SleepMilliseconds(kFailedLockPauseMs);
    }
  }
  return Recorded::kClear;
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
  bool told_others = false;
  for (;;) {
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
    if (outcome != platform::LockOutcome::kTaken) break;
    const Recorded recorded =
        EndRecordedTools(*lock, location + paths::kBatchTool, deadline, told_others);
    if (recorded == Recorded::kClear) break;
    // Another user's tool: let go, so that its own user's next call can
    // come in and end it, and try again after a pause.
    lock = platform::InstallLock::ForFolder(location);
    outcome = platform::LockOutcome::kFailed;
    const std::uint32_t left = MillisecondsLeft(deadline);
    if (!lock || recorded == Recorded::kStuck || left == 0) break;
    platform::SleepMilliseconds(left < kFailedLockPauseMs ? left : kFailedLockPauseMs);
    outcome = lock->TryAcquire();
  }
  taken.waited_ms_ = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
  if (outcome != platform::LockOutcome::kTaken) {
    taken.outcome_ = Outcome::kTimedOut;
    if (told_failed && lock) {
      trace::Record("install.lock_failed", {{"reason", lock->RecordProblem()}});
    }
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
  // A holder without a record could leave a tool that nobody finds.
  if (!lock->Publish(taken.holder_)) {
    taken.outcome_ = Outcome::kTimedOut;
    trace::Record("install.lock", {{"outcome", "no record"}, {"reason", lock->RecordProblem()}});
    return taken;
  }
  taken.lock_ = std::move(lock);
  taken.outcome_ = Outcome::kHeld;
  return taken;
}

bool InstallLocationLock::NoteTool(const platform::ChildProcess* tool, const std::string& program) {
  if (!lock_) return true;
  holder_.tool = tool != nullptr ? tool->Identity() : platform::ProcessIdentity{};
  holder_.tool_group = tool != nullptr ? tool->Group() : 0;
  holder_.tool_program = tool != nullptr ? program : std::string();
  return lock_->Publish(holder_);
}

namespace testing {

void SetInstallWaitLimitMs(std::uint32_t ms) { wait_limit_ms.store(ms, std::memory_order_relaxed); }

void SetInstallLocking(bool on) { locking.store(on, std::memory_order_relaxed); }

}  // namespace testing
}  // namespace vok
