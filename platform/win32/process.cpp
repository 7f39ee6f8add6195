#include "platform/process.h"

#include "platform/win32/unique_handle.h"

#include <vector>

namespace vok::platform {

// The process and thread handles of a started child, closed in that order.
struct ChildProcess::State {
  win32::UniqueHandle process;
  win32::UniqueHandle thread;

  State() noexcept = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    process.reset();
    thread.reset();
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
bool CreateChild(const std::string& commandLine, PROCESS_INFORMATION& started, DWORD& error) {
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
  if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<State> state) : state_(std::move(state)) {}
ChildProcess::ChildProcess(ChildProcess&&) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&&) noexcept = default;
ChildProcess::~ChildProcess() = default;

std::optional<ChildProcess> ChildProcess::Start(const std::string& commandLine, int* error) {
  // Allocated before the start so that no failure can come between the
  // start and the moment the handles have an owner.
  auto state = std::make_unique<State>();
  PROCESS_INFORMATION started{};
  DWORD startError = ERROR_SUCCESS;
  if (!CreateChild(commandLine, started, startError)) {
    if (error != nullptr) *error = static_cast<int>(startError);
    return std::nullopt;
  }
  state->process.reset(started.hProcess);
  state->thread.reset(started.hThread);
  return ChildProcess(std::move(state));
}

WaitOutcome ChildProcess::Wait(std::optional<std::uint32_t> limitMs) {
  if (!state_ || !state_->process) return WaitOutcome::kFailed;
  // INFINITE is 0xFFFFFFFF; a limit of that size means the same anyway.
  const DWORD limit = limitMs ? static_cast<DWORD>(*limitMs) : INFINITE;
  switch (::WaitForSingleObject(state_->process.get(), limit)) {
    case WAIT_OBJECT_0:
      return WaitOutcome::kExited;
    case WAIT_TIMEOUT:
      return WaitOutcome::kTimedOut;
    default:
      return WaitOutcome::kFailed;
  }
}

bool ChildProcess::Terminate(std::uint32_t exitCode) {
  if (!state_ || !state_->process) return false;
  if (!::TerminateProcess(state_->process.get(), exitCode)) return false;
  // TerminateProcess only starts the ending; wait (boundedly: the host must
  // never hang here) so that the caller may reuse the child's files at once.
  return ::WaitForSingleObject(state_->process.get(), kReapLimitMs) == WAIT_OBJECT_0;
}

std::optional<std::int64_t> ChildProcess::ExitCode() const {
  if (!state_ || !state_->process) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(state_->process.get(), &code) || code == STILL_ACTIVE) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(code);
}

bool StartDetached(const std::string& commandLine) {
  PROCESS_INFORMATION started{};
  DWORD error = ERROR_SUCCESS;
  if (!CreateChild(commandLine, started, error)) return false;
  win32::UniqueHandle process(started.hProcess);
  win32::UniqueHandle thread(started.hThread);
  process.reset();
  thread.reset();
  return true;
}

}  // namespace vok::platform
