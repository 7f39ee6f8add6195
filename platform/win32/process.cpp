#include "platform/process.h"

#include "platform/faults.h"
#include "platform/files.h"
#include "platform/win32/host_wait.h"
#include "platform/win32/process_time.h"
#include "platform/win32/security.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"
#include "platform/deadline.h"

#include <vector>

namespace vok::platform {

// The process and thread handles of a started child, closed in that order;
// then the job that ends a grouped child as it closes.
struct ChildProcess::State {
  win32::UniqueHandle process;
  win32::UniqueHandle thread;
  win32::UniqueHandle job;
  std::uint32_t id = 0;
  std::uint64_t start = 0;

  State() noexcept = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    process.reset();
    thread.reset();
    job.reset();
  }
};

namespace {

constexpr DWORD kReapLimitMs = 30000;

// The longest command line Windows passes to a program, in characters with
// the terminating zero. Windows refuses a longer one; Wine cuts it short and
// starts the tool with whatever is left, so it is refused here on both.
constexpr std::size_t kCommandLineLimit = 32767;

// CreateProcessA as the report tools are started: the text is the whole
// command line and the first token names the program; nothing is inherited
// but the environment and the current folder. On failure returns false and
// leaves the system's error code in `error`.
bool CreateChild(const std::string& commandLine, DWORD flags, PROCESS_INFORMATION& started,
                 DWORD& error, const std::string& folder = {}) {
  // A GBK byte is at most one UTF-16 character: bytes bound characters.
  if (commandLine.size() >= kCommandLineLimit) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  started = PROCESS_INFORMATION{};
  // CreateProcessA takes the folder in the ANSI code page.
  const std::string ansiFolder =
      folder.empty() ? std::string()
                     : win32::WideToNarrow(CP_ACP, win32::NarrowToWide(win32::kGbkCodePage, folder));
  if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.empty() ? nullptr : ansiFolder.c_str(), &startup, &started)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

// A job that ends its processes when its last handle closes, so that the
// system ends the child, and what it starts, when the call ends or the
// host ends, however it ends. A program the tool starts stays in the job
// unless it asks to leave it: one that stayed behind silently could write
// an export into the next call's run. Nothing when the child cannot be put
// in one: before Windows 8 a process already in a job that allows no
// breakaway cannot join another.
win32::UniqueHandle JobEndingWithHost(HANDLE process) {
  win32::UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits) ||
      InjectedFailure(faults::Operation::kAssignJob) ||
      !::AssignProcessToJobObject(job.get(), process)) {
    return win32::UniqueHandle();
  }
  return job;
}

// CREATE_BREAKAWAY_FROM_JOB when the host runs in a job that lets its
// children leave it: the tool then joins its own job on every Windows. A
// host job that forbids it makes CreateProcess fail with the flag, so it is
// asked for only where allowed.
DWORD BreakawayFromHostJob() {
  BOOL inJob = FALSE;
  if (!::IsProcessInJob(::GetCurrentProcess(), nullptr, &inJob) || !inJob) return 0;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  if (!::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits, nullptr)) {
    return 0;
  }
  return (limits.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_BREAKAWAY_OK) != 0
             ? CREATE_BREAKAWAY_FROM_JOB
             : 0;
}

// The process `who`, opened to wait for it, while it runs as named.
win32::UniqueHandle OpenWhileRunning(const ProcessIdentity& who) {
  if (who.id == 0) return win32::UniqueHandle();
  win32::UniqueHandle process(
      ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, who.id));
  if (!process || ::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT ||
      (who.start != 0 && win32::CreationTime(process.get()) != who.start)) {
    return win32::UniqueHandle();
  }
  return process;
}

// Whether the job `job` still has a process in it; nothing when it cannot
// be asked.
std::optional<bool> JobHasProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr)) {
    return std::nullopt;
  }
  return accounting.ActiveProcesses != 0;
}

// Waits, answering sent messages, until the job is empty or `limitMs` ran
// out; true when it is empty.
bool WaitUntilJobEmpty(HANDLE job, DWORD limitMs) {
  const Deadline deadline(limitMs);
  for (;;) {
    const std::optional<bool> busy = JobHasProcesses(job);
    if (!busy) return false;
    if (!*busy) return true;
    if (!deadline.Pause(10)) return false;
  }
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : state_(std::move(state)) {}
ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&&) noexcept = default;
ChildProcess::~ChildProcess() = default;

std::optional<ChildProcess> ChildProcess::Start(
    const std::string& commandLine, int* error, ChildScope scope, const std::string& folder,
    const std::function<bool(const ChildProcess&)>& beforeRunning) {
  // Allocated before the start so that no failure can come between the
  // start and the moment the handles have an owner.
  auto state = std::make_unique<State>();
  PROCESS_INFORMATION started{};
  DWORD startError = ERROR_SUCCESS;
  const bool grouped = scope == ChildScope::kWithWhatItStarts;
  // A grouped child joins its job, and whoever must know of it is told,
  // before it runs a single instruction.
  const bool suspended = grouped || beforeRunning;
  const DWORD flags = (suspended ? CREATE_SUSPENDED : 0) | (grouped ? BreakawayFromHostJob() : 0);
  if (InjectedFailure(faults::Operation::kStartProcess)) {
    if (error != nullptr) *error = static_cast<int>(::GetLastError());
    return std::nullopt;
  }
  if (!CreateChild(commandLine, flags, started, startError, folder)) {
    if (error != nullptr) *error = static_cast<int>(startError);
    return std::nullopt;
  }
  state->process.reset(started.hProcess);
  state->thread.reset(started.hThread);
  state->id = started.dwProcessId;
  state->start = win32::CreationTime(started.hProcess);
  if (grouped) state->job = JobEndingWithHost(started.hProcess);
  ChildProcess child(std::move(state));
  if (beforeRunning && !beforeRunning(child)) {
    if (error != nullptr) *error = 0;
    child.Terminate(1);
    return std::nullopt;
  }
  if (suspended && ::ResumeThread(started.hThread) == static_cast<DWORD>(-1)) {
    if (error != nullptr) *error = static_cast<int>(::GetLastError());
    child.Terminate(1);
    return std::nullopt;
  }
  return child;
}

ProcessIdentity ChildProcess::Identity() const {
  if (!state_) return {};
  return ProcessIdentity{state_->id, state_->start};
}

bool ChildProcess::EndsWithHost() const { return state_ && state_->job; }

// The job stands for the group on Windows.
std::uint32_t ChildProcess::Group() const { return 0; }

WaitOutcome ChildProcess::Wait(std::optional<std::uint32_t> limitMs) {
  if (!state_ || !state_->process) return WaitOutcome::kFailed;
  // INFINITE is 0xFFFFFFFF; a limit of that size means the same anyway.
  const DWORD limit = limitMs ? static_cast<DWORD>(*limitMs) : INFINITE;
  switch (win32::WaitServingSentMessages(state_->process.get(), limit)) {
    case WAIT_OBJECT_0:
      return WaitOutcome::kExited;
    case WAIT_TIMEOUT:
      return WaitOutcome::kTimedOut;
    default:
      return WaitOutcome::kFailed;
  }
}

Status ChildProcess::Terminate(std::uint32_t exitCode) {
  constexpr char kOperation[] = "terminate";
  if (!state_ || !state_->process) return SystemError{kOperation, ERROR_INVALID_HANDLE};
  // A grouped child goes with everything it started that stayed in its job.
  const bool ending = state_->job ? ::TerminateJobObject(state_->job.get(), exitCode) != FALSE
                                  : ::TerminateProcess(state_->process.get(), exitCode) != FALSE;
  if (!ending) return Status::Failed(kOperation);
  // Termination only starts the ending; wait (boundedly: the host must
  // never hang here) so that the caller may reuse the child's files at once.
  if (win32::WaitServingSentMessages(state_->process.get(), kReapLimitMs) != WAIT_OBJECT_0 ||
      (state_->job && !WaitUntilJobEmpty(state_->job.get(), kReapLimitMs))) {
    return SystemError{kOperation, WAIT_TIMEOUT};
  }
  return {};
}

std::optional<std::int64_t> ChildProcess::ExitCode() const {
  if (!state_ || !state_->process) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(state_->process.get(), &code) || code == STILL_ACTIVE) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(code);
}

std::optional<ProcessIdentity> IdentityOfProcess(std::uint32_t id) {
  if (id == 0) return std::nullopt;
  win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return std::nullopt;
  return ProcessIdentity{id, win32::CreationTime(process.get())};
}

ProcessIdentity CurrentProcessIdentity() {
  return ProcessIdentity{::GetCurrentProcessId(), win32::CreationTime(::GetCurrentProcess())};
}

std::uint64_t StartedMsAgo(const ProcessIdentity& who) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return ticks > who.start ? (ticks - who.start) / 10000u : 0;
}

std::optional<std::uint64_t> RunningForMs(const ProcessIdentity& who) {
  const win32::UniqueHandle process = OpenWhileRunning(who);
  if (!process) return std::nullopt;
  return StartedMsAgo({who.id, win32::CreationTime(process.get())});
}

std::string CurrentUser() { return win32::ProcessUserSid(::GetCurrentProcess()).value_or(""); }

EndOutcome EndRecordedTool(const ProcessIdentity& tool, std::uint32_t /*group*/,
                           std::uint32_t limitMs) {
  const win32::UniqueHandle process = OpenWhileRunning(tool);
  if (!process) return EndOutcome::kNotRunning;
  // The handle held keeps the id from passing to another process.
  const win32::UniqueHandle ender(::OpenProcess(PROCESS_TERMINATE, FALSE, tool.id));
  if ((!ender || !::TerminateProcess(ender.get(), 1)) &&
      ::WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
    return EndOutcome::kFailed;
  }
  return win32::WaitServingSentMessages(process.get(), limitMs) == WAIT_OBJECT_0
             ? EndOutcome::kEnded
             : EndOutcome::kFailed;
}

Status StartDetached(const std::string& commandLine, const std::string& folder) {
  constexpr char kOperation[] = "start";
  if (InjectedFailure(faults::Operation::kStartProcess)) return Status::Failed(kOperation);
  PROCESS_INFORMATION started{};
  DWORD error = ERROR_SUCCESS;
  if (!CreateChild(commandLine, 0, started, error, folder)) return SystemError{kOperation, error};
  win32::UniqueHandle process(started.hProcess);
  win32::UniqueHandle thread(started.hThread);
  process.reset();
  thread.reset();
  return {};
}

}  // namespace vok::platform
