// Starting and waiting for the report tools.
//
// A command line is one narrow (GBK) text, as on Windows: the program is its
// first token, in double quotes or up to the first blank, and the rest is
// handed to the program as it stands.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vok::platform {

enum class WaitOutcome {
  kExited,    // the process ended (its exit code is not looked at)
  kTimedOut,  // still running when the limit ran out
  kFailed,    // the wait itself failed
};

// A started child process. Owns its handles; the destructor closes them
// without waiting or terminating. Move-only.
class ChildProcess {
 public:
  struct State;

  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Starts `commandLine` with the caller's environment and current folder,
  // no inherited handles, not suspended. Nothing when it cannot be started;
  // `error`, when given, receives the system's error code.
  [[nodiscard]] static std::optional<ChildProcess> Start(const std::string& commandLine,
                                                         int* error = nullptr);

  // Waits for the process to end, at most `limitMs` milliseconds, or without
  // limit when `limitMs` is empty.
  [[nodiscard]] WaitOutcome Wait(std::optional<std::uint32_t> limitMs);

  // Ends the process with `exitCode` (where the system lets the code be
  // chosen) and reaps it. Returns false when it could not be ended.
  bool Terminate(std::uint32_t exitCode);

  // Once the process has ended: its exit code (Windows: as
  // GetExitCodeProcess gives it; POSIX: the exit status, or minus the
  // signal that ended it). Nothing before, or when the system cannot tell.
  [[nodiscard]] std::optional<std::int64_t> ExitCode() const;

 private:
  explicit ChildProcess(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Starts `commandLine` like ChildProcess::Start but does not keep the
// process: it runs on independently and leaves nothing behind to reap.
// Returns false when it cannot be started.
[[nodiscard]] bool StartDetached(const std::string& commandLine);

}  // namespace vok::platform
