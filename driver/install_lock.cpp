#include "driver/install_lock.h"

#include <atomic>

#include "driver/paths.h"
#include "platform/clock.h"
#include "platform/deadline.h"
#include "platform/path_parts.h"
#include "platform/program.h"
#include "request/text_rules.h"
#include "request/trace.h"

namespace vok {
namespace {

std::atomic<std::uint32_t> wait_limit_ms{0};
std::atomic<bool> locking{true};

// How often a lock that failed for a moment is tried again.
constexpr std::uint32_t kFailedLockPauseMs = 50;
// How often a call that let go for a report tool that runs looks again.
constexpr std::uint32_t kToolPauseMs = 500;
// The longest single wait for this user's orphaned tool to end.
constexpr std::uint32_t kEndStepMs = 5000;

void TraceWait(const std::optional<platform::InstallLockHolder>& holder) {
  if (holder) {
    trace::Record("install.wait", {{"holder_pid", holder->process_id},
                                   {"holder_program", holder->program},
                                   {"holder_call", holder->call},
                                   {"holder_since", holder->since}});
  } else {
    trace::Record("install.wait", {{"holder", "another user or machine"}});
  }
}

// `event` about the tool `record` names, with its reason.
void TraceTool(const char* event, const platform::InstallLockHolder& record,
                       const char* why) {
  trace::Record(event, {{"tool_pid", record.tool.id},
                        {"tool_program", record.tool_program},
                        {"holder_pid", record.process_id},
                        {"reason", why}});
}

// What stands between the call that took the installation and its work.
enum class Way {
  kClear,  // no report tool of the installation runs
  kWait,   // one runs that this call may not end: another user's, or one
           // that cannot be told
  kStuck,  // this user's orphaned tool would not end before the deadline
  kBlind,  // the system lists no processes: nothing can be told
};

// Ends this user's orphaned tool that `record` names; false when it still
// runs at the deadline.
bool EndOrphan(const platform::InstallLockHolder& record, const platform::Deadline& deadline) {
  const std::uint64_t age = platform::StartedMsAgo(record.tool);
  for (;;) {
    const std::uint32_t step = deadline.AtMost(kEndStepMs);
    if (platform::EndRecordedTool(record.tool, record.tool_group, step) !=
        platform::EndOutcome::kFailed) {
      trace::Record("install.orphan_ended",
                    {{"tool_pid", record.tool.id}, {"tool_program", record.tool_program},
                     {"holder_pid", record.process_id}, {"age_ms", age}});
      return true;
    }
    if (!deadline.Pause(kFailedLockPauseMs)) {
      TraceTool("install.orphan_not_ended", record, "would not end");
      return false;
    }
  }
}

// Right after taking the installation: this user's record may name a tool
// that a holder left running when it died, and other tools of the
// installation may run for other users. Either may still write its export
// into this call's run, so this call touches nothing until they are gone.
// `told` keeps each wait traced once per call.
Way ClearTheWay(platform::InstallLock& lock, const std::string& program,
                const platform::Deadline& deadline, bool& told) {
  platform::ProcessFacts facts = platform::LookAtProcesses(program);
  if (facts.processes.empty()) return Way::kBlind;
  if (const std::optional<platform::InstallLockHolder> record = lock.OwnRecord()) {
    const platform::RecordedToolVerdict verdict =
        platform::ClassifyRecordedTool(*record, platform::IsThisBoot(record->boot), facts);
    switch (verdict.what) {
      case platform::RecordedTool::kNone:
        break;
      case platform::RecordedTool::kStale:
        TraceTool("install.record_dropped", *record, verdict.why);
        lock.DropOwnRecord();
        break;
      case platform::RecordedTool::kSelf:
        TraceTool("install.record_ignored", *record, verdict.why);
        break;
      case platform::RecordedTool::kUnsure:
        if (!told) TraceTool("install.orphan_waited_for", *record, verdict.why);
        told = true;
        return Way::kWait;
      case platform::RecordedTool::kMine:
        if (!EndOrphan(*record, deadline)) return Way::kStuck;
        lock.DropOwnRecord();
        facts = platform::LookAtProcesses(program);
        break;
    }
  }
  const std::vector<platform::ProcessEntry> running =
      platform::ReportToolsRunning(facts, platform::FileNameOfPath(program));
  if (running.empty()) return Way::kClear;
  if (!told) {
    const platform::ProcessEntry& tool = running.front();
    trace::Record("install.tool_waited_for",
                  {{"tool_pid", tool.identity.id},
                   {"session", tool.session},
                   {"age_ms", platform::StartedMsAgo(tool.identity)},
                   {"user", facts.look(tool).user.value_or("another user")}});
    told = true;
  }
  return Way::kWait;
}

enum class Wait { kTaken, kTimedOut, kRefused };

// Waits until `lock` is taken, the deadline passes, or it is refused for
// good; a lock that fails for a moment is tried again after a pause.
Wait WaitForLock(platform::InstallLock& lock, const platform::Deadline& deadline,
                 std::optional<platform::InstallLockHolder>& waited_for, bool& told) {
  platform::LockOutcome outcome = lock.TryAcquire();
  bool told_failed = false;
  for (;;) {
    switch (outcome) {
      case platform::LockOutcome::kTaken:
        return Wait::kTaken;
      case platform::LockOutcome::kRefused:
        return Wait::kRefused;
      case platform::LockOutcome::kBusy:
        if (!told) {
          waited_for = lock.Holder();
          TraceWait(waited_for);
          told = true;
        }
        if (deadline.Passed()) return Wait::kTimedOut;
        outcome = lock.Acquire(deadline.LeftMs());
        break;
      case platform::LockOutcome::kFailed:
        if (!told_failed) {
          trace::Record("install.lock_failed", {{"lock", lock.Name()}, {"error", lock.FailureCode()}});
        }
        told_failed = true;
        if (!deadline.Pause(kFailedLockPauseMs)) return Wait::kTimedOut;
        outcome = lock.TryAcquire();
        break;
    }
  }
}

}  // namespace

void InstallLocationLock::Refuse(const char* why, const std::string& detail) {
  outcome_ = Outcome::kRefused;
  if (detail.empty()) {
    trace::Record("install.lock_refused", {{"reason", why}});
  } else {
    trace::Record("install.lock_refused", {{"reason", why}, {"detail", detail}});
  }
}

InstallLocationLock InstallLocationLock::Take(const std::string& location, const char* call) {
  InstallLocationLock taken;
  if (!locking.load(std::memory_order_relaxed)) return taken;
  std::optional<platform::InstallLock> lock = taken.Enter(location);
  if (!lock) return taken;
  const std::uint32_t limit = wait_limit_ms.load(std::memory_order_relaxed);
  const platform::Deadline deadline(limit != 0 ? limit : kInstallWaitLimitMs);
  if (!taken.WaitUntilClear(location, std::move(*lock), deadline)) return taken;
  taken.Hold(call);
  return taken;
}

// Everything that refuses a call at once, before it waits: a host that may
// take no lock (told from its token before anything is made), a thread
// inside a call on the installation already, records that cannot be kept.
std::optional<platform::InstallLock> InstallLocationLock::Enter(const std::string& location) {
  if (const std::optional<std::string> host = platform::HostRefusal()) {
    Refuse("the host may take no lock", *host);
    return std::nullopt;
  }
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) {
    // No folder: every file step of the call fails on its own.
    trace::Record("install.lock", {{"outcome", "not to be had"}});
    return std::nullopt;
  }
  entry_ = platform::InstallationEntry::Enter(lock->Name());
  if (!entry_) {
    Refuse("this thread is inside a call on the installation already");
    return std::nullopt;
  }
  if (const std::optional<std::string> problem = lock->RecordProblem()) {
    Refuse("this user's records cannot be kept", *problem);
    return std::nullopt;
  }
  return lock;
}

// Waits for the lock, and then for every report tool of the installation
// that this call may not end; ends this user's orphaned one. True with the
// lock held in `lock_`; false with the outcome set.
bool InstallLocationLock::WaitUntilClear(const std::string& location, platform::InstallLock lock,
                                         const platform::Deadline& deadline) {
  const std::string program = location + paths::kBatchTool;
  bool told_busy = false;
  bool told_tools = false;
  for (;;) {
    const Wait wait = WaitForLock(lock, deadline, waited_for_, told_busy);
    if (wait == Wait::kRefused) {
      Refuse("the lock is refused to this user",
             lock.Name() + " (error " + std::to_string(lock.RefusedError()) + ")");
      return false;
    }
    if (wait == Wait::kTimedOut) break;
    const Way way = ClearTheWay(lock, program, deadline, told_tools);
    if (way == Way::kBlind) {
      Refuse("the system lists no processes");
      return false;
    }
    if (way == Way::kClear) {
      waited_ms_ = deadline.SpentMs();
      lock_ = std::move(lock);
      return true;
    }
    // Let go, so that a tool's own user's next call can come in and end
    // it, and look again after a pause.
    std::optional<platform::InstallLock> again = platform::InstallLock::ForFolder(location);
    if (!again || way == Way::kStuck || !deadline.Pause(kToolPauseMs)) break;
    lock = std::move(*again);
  }
  waited_ms_ = deadline.SpentMs();
  outcome_ = Outcome::kTimedOut;
  trace::Record("install.lock", {{"outcome", "timed out"}, {"waited_ms", waited_ms_}});
  return false;
}

// Publishes this process as the holder. A holder without a record could
// leave a tool that nobody finds: without one the call is refused.
void InstallLocationLock::Hold(const char* call) {
  trace::Record("install.lock", {{"outcome", "held"},
                                 {"lock", lock_->Name()},
                                 {"share_lock", lock_->GuardsShare() ? "yes" : "no"},
                                 {"waited_ms", waited_ms_}});
  const platform::ProcessIdentity me = platform::CurrentProcessIdentity();
  holder_.process_id = me.id;
  holder_.process_start = me.start;
  holder_.program = platform::ExecutablePath();
  holder_.since = FormatLocalTime(platform::Now());
  holder_.call = call;
  holder_.boot = platform::BootIdentity();
  if (const platform::Status published = lock_->Publish(holder_); !published) {
    const std::string record = lock_->RecordPath();
    lock_.reset();
    Refuse("this user's record cannot be written",
           record + " (error " + std::to_string(published.code()) + ")");
    return;
  }
  outcome_ = Outcome::kHeld;
}

bool InstallLocationLock::NoteTool(const platform::ChildProcess* tool, const std::string& program) {
  if (!lock_) return true;
  holder_.tool = tool != nullptr ? tool->Identity() : platform::ProcessIdentity{};
  holder_.tool_group = tool != nullptr ? tool->Group() : 0;
  holder_.tool_program = tool != nullptr ? program : std::string();
  return lock_->Publish(holder_).ok();
}

namespace seams {

void SetInstallWaitLimitMs(std::uint32_t ms) { wait_limit_ms.store(ms, std::memory_order_relaxed); }

void SetInstallLocking(bool on) { locking.store(on, std::memory_order_relaxed); }

}  // namespace seams
}  // namespace vok
