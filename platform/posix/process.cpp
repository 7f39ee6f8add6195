// Waited-for children. A pidfd lets a wait with a limit sleep in poll()
// until the child ends instead of polling waitpid.
#include "platform/process.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/faults.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_procfs.h"
#include "platform/posix/posix_spawn.h"
#include "platform/program.h"
#include "platform/deadline.h"

namespace vok::platform {
namespace {

// How long Terminate waits for the rest of a child's group to go.
constexpr std::uint32_t kGroupEndLimitMs = 2000;

}  // namespace

struct ChildProcess::State {
  pid_t pid = -1;
  std::uint64_t start = 0;  // as /proc tells it; 0 when it could not be read
  bool leads_group = false;
  // Invalid when the kernel has no pidfds; waits with a limit then fail.
  posix::UniqueFd pidfd;
  // Once reaped the pid may belong to another process: never use it again.
  bool reaped = false;
  std::optional<std::int64_t> exit_code;

  void NoteStatus(int status) {
    if (WIFEXITED(status)) exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) exit_code = -static_cast<std::int64_t>(WTERMSIG(status));
  }

  // Blocks until the child has ended and reaps it.
  bool Reap() {
    for (;;) {
      int status = 0;
      if (::waitpid(pid, &status, 0) == pid) {
        NoteStatus(status);
        break;
      }
      if (errno == EINTR) continue;
      // ECHILD: someone else reaped it (a host with SIGCHLD ignored or a
      // handler calling waitpid(-1)). Either way it has ended.
      if (errno != ECHILD) return false;
      break;
    }
    reaped = true;
    return true;
  }

  // Destroyed without a wait: reap the child if it has already ended. One
  // still running stays a child of the host and is reaped by whatever reaps
  // the host's children (or init once the host exits). Blocking or killing
  // here would contradict "close the handles without waiting".
  ~State() {
    if (pid > 0 && !reaped) {
      const int saved = errno;
      ::waitpid(pid, nullptr, WNOHANG);
      errno = saved;
    }
  }
};

namespace {

// glibc 2.36 declares pidfd_open in <sys/pidfd.h> without C linkage, so C++
// cannot link against it; the system calls are used directly.
int PidfdOpen(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

int PidfdKill(int pidfd) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0));
}

// 1 when `fd` became readable within `limitMs`, 0 on time-out, -1 on error.
int WaitReadable(int fd, std::uint32_t limitMs) {
  const Deadline deadline(limitMs);
  for (;;) {
    const std::uint32_t left = deadline.LeftMs();
    pollfd entry{fd, POLLIN, 0};
    const int rc = ::poll(&entry, 1, static_cast<int>(left < INT_MAX ? left : INT_MAX));
    if (rc > 0) return 1;
    if (rc == 0) {
      if (deadline.Passed()) return 0;
      continue;
    }
    if (errno != EINTR) return -1;
  }
}

// Without a pidfd (kernels before 5.3, valgrind) a wait with a limit polls
// waitpid; failing at once instead would send the caller to look for the
// tool's output while the tool still runs.
WaitOutcome PollUntilExited(ChildProcess::State& state, std::uint32_t limitMs) {
  const Deadline deadline(limitMs);
  for (;;) {
    int status = 0;
    const pid_t rc = ::waitpid(state.pid, &status, WNOHANG);
    if (rc == state.pid) state.NoteStatus(status);
    if (rc == state.pid || (rc < 0 && errno == ECHILD)) {
      state.reaped = true;
      return WaitOutcome::kExited;
    }
    if (rc < 0 && errno != EINTR) return WaitOutcome::kFailed;
    if (!deadline.Pause(5)) return WaitOutcome::kTimedOut;
  }
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : state_(std::move(state)) {}
ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&&) noexcept = default;
ChildProcess::~ChildProcess() = default;

// posix_spawn cannot start a child stopped: `beforeRunning` is asked right
// after the spawn, and a child it refuses is killed with its group.
std::optional<ChildProcess> ChildProcess::Start(
    const std::string& commandLine, int* error, ChildScope scope, const std::string& folder,
    const std::function<bool(const ChildProcess&)>& beforeRunning) {
  if (InjectedFailure(faults::Operation::kStartProcess)) {
    if (error != nullptr) *error = errno;
    return std::nullopt;
  }
  std::unique_ptr<posix::SpawnRequest> request =
      posix::SpawnRequest::FromCommandLine(commandLine, error, scope == ChildScope::kWithWhatItStarts);
  if (!request) return std::nullopt;
  if (!folder.empty()) {
    if (const int rc = request->StartIn(folder); rc != 0) {
      if (error != nullptr) *error = rc;
      return std::nullopt;
    }
  }
  auto state = std::make_unique<State>();
  // glibc's posix_spawn waits for the exec, so a missing or non-executable
  // program is reported here.
  const int rc = request->Spawn(&state->pid);
  if (rc != 0) {
    state->pid = -1;
    if (error != nullptr) *error = rc;
    return std::nullopt;
  }
  state->pidfd.reset(PidfdOpen(state->pid));
  state->leads_group = scope == ChildScope::kWithWhatItStarts;
  // Not reaped yet, so the id is still this child's: whatever /proc says
  // of it now is the child's start.
  if (const std::optional<ProcessIdentity> child =
          IdentityOfProcess(static_cast<std::uint32_t>(state->pid))) {
    state->start = child->start;
  }
  ChildProcess started(std::move(state));
  if (beforeRunning && !beforeRunning(started)) {
    if (error != nullptr) *error = 0;
    started.Terminate(1);
    return std::nullopt;
  }
  return started;
}

ProcessIdentity ChildProcess::Identity() const {
  if (!state_ || state_->pid <= 0) return {};
  return ProcessIdentity{static_cast<std::uint32_t>(state_->pid), state_->start};
}

std::uint32_t ChildProcess::Group() const {
  return state_ && state_->leads_group ? static_cast<std::uint32_t>(state_->pid) : 0;
}

// Nothing ends a POSIX child with its host: the next call on the
// installation ends it (EndRecordedTool).
bool ChildProcess::EndsWithHost() const { return false; }

WaitOutcome ChildProcess::Wait(std::optional<std::uint32_t> limitMs) {
  if (!state_) return WaitOutcome::kFailed;
  State& state = *state_;
  if (state.reaped) return WaitOutcome::kExited;
  if (limitMs && !state.pidfd.valid()) return PollUntilExited(state, *limitMs);
  if (limitMs) {
    const int ready = WaitReadable(state.pidfd.get(), *limitMs);
    if (ready == 0) return WaitOutcome::kTimedOut;
    if (ready < 0) return WaitOutcome::kFailed;
  }
  return state.Reap() ? WaitOutcome::kExited : WaitOutcome::kFailed;
}

std::optional<std::int64_t> ChildProcess::ExitCode() const {
  return state_ ? state_->exit_code : std::nullopt;
}

// POSIX cannot make another process exit with a chosen code: the child dies
// of SIGKILL and `exitCode` is ignored. Nobody reads the code anyway. What
// the child started in its group goes with it: left running, it could
// still write into the installation after the call gave up.
Status ChildProcess::Terminate(std::uint32_t /*exitCode*/) {
  constexpr char kOperation[] = "terminate";
  if (!state_) return SystemError{kOperation, ESRCH};
  State& state = *state_;
  if (state.reaped && !state.leads_group) return {};
  if (!state.reaped) {
    // Not reaped yet, so the group's id is still the child's own.
    const int rc = state.leads_group ? ::kill(-state.pid, SIGKILL)
                   : state.pidfd.valid() ? PidfdKill(state.pidfd.get())
                                         : ::kill(state.pid, SIGKILL);
    // ESRCH: it ended on its own and only needs reaping.
    if (rc != 0 && errno != ESRCH) return Status::Failed(kOperation);
    if (!state.Reap()) return Status::Failed(kOperation);
  }
  // The rest of the group: killed again until gone, for a bounded while.
  if (!posix::KillUntilGone([&state] { return posix::LiveGroupMembers(state.pid, state.start); },
                            kGroupEndLimitMs)) {
    return SystemError{kOperation, ETIMEDOUT};
  }
  return {};
}

}  // namespace vok::platform
