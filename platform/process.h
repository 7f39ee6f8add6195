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

// A process as other processes may name it: its id and the moment it
// started, so that a later process that gets the same id is never taken for
// it. `start` is the system's own stamp (Windows: the creation time;
// POSIX: the start time in clock ticks since boot); 0 matches any process.
struct ProcessIdentity {
  std::uint32_t id = 0;
  std::uint64_t start = 0;
};

// Whether a child ends with the process that started it.
enum class ChildTie {
  kNone,
  // Windows: the child runs in a job object of its own that ends it when
  // the last handle to the job closes, at the latest when the host ends;
  // the programs the child starts leave that job silently and outlive it. A
  // host whose own job allows no nested job and no breakaway leaves it
  // untied (Tied() says so), and the holder record lets the next call end
  // it. POSIX: the child leads a process group of its own, which
  // Terminate and EndRecordedTool end whole; nothing ends it with the host.
  kEndsWithHost,
};

// A started child process. Owns its handles; the destructor closes them
// without waiting or terminating (a child tied to its host ends then).
// Move-only.
class ChildProcess {
 public:
  struct State;

  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Starts `commandLine` with the caller's environment, no inherited
  // handles, not suspended, in `folder` (GBK) or, when that is empty, the
  // caller's current folder. Nothing when it cannot be started; `error`,
  // when given, receives the system's error code.
  [[nodiscard]] static std::optional<ChildProcess> Start(const std::string& commandLine,
                                                         int* error = nullptr,
                                                         ChildTie tie = ChildTie::kNone,
                                                         const std::string& folder = {});

  // Who the child is, for others to find it by.
  [[nodiscard]] ProcessIdentity Identity() const;

  // The process group the child leads (POSIX, a tied child), which its own
  // children share unless they leave it; 0 when it leads none.
  [[nodiscard]] std::uint32_t Group() const;

  // Whether the system ends the child with its host (see ChildTie).
  [[nodiscard]] bool Tied() const;

  // Waits for the process to end, at most `limitMs` milliseconds, or without
  // limit when `limitMs` is empty.
  [[nodiscard]] WaitOutcome Wait(std::optional<std::uint32_t> limitMs);

  // Ends the process with `exitCode` (where the system lets the code be
  // chosen) and reaps it; a child that leads a process group is ended with
  // its whole group. Returns false when it, or a process of its group,
  // could not be ended.
  bool Terminate(std::uint32_t exitCode);

  // Once the process has ended: its exit code (Windows: as
  // GetExitCodeProcess gives it; POSIX: the exit status, or minus the
  // signal that ended it). Nothing before, or when the system cannot tell.
  [[nodiscard]] std::optional<std::int64_t> ExitCode() const;

 private:
  explicit ChildProcess(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// The identity of this process.
[[nodiscard]] ProcessIdentity CurrentProcessIdentity();

// The process that has the id `id` now (ended but not yet reaped ones
// included); nothing when none has.
[[nodiscard]] std::optional<ProcessIdentity> IdentityOfProcess(std::uint32_t id);

// How long, in milliseconds, the process `who` has run, when it runs now
// (a process that has ended but is not yet reaped counts as gone); nothing
// when it does not, or when another process now has its id.
[[nodiscard]] std::optional<std::uint64_t> RunningForMs(const ProcessIdentity& who);

// The user this process runs as, as the system names it to others: the
// effective user id in decimal (POSIX), the SID as a string (Windows).
[[nodiscard]] std::string CurrentUser();

// What the report tool a holder's record names is to this caller. The
// record is only a claim: the library ends a process only when it can show
// that the process is the installation's report tool, started by a call of
// this caller's user, and neither this process nor one it descends from.
enum class RecordedTool {
  kGone,        // it has ended (POSIX: and so has every process of its group)
  kMine,        // the installation's report tool (or its group), run as this
                // caller's user: this caller may end it
  kOtherUsers,  // it runs as the record's writer, another user: only that
                // user's calls may end it
  kNotTheTool,  // the record names another program, this process or one it
                // descends from, or a process of another user than the
                // record's writer: nothing to end, the record is not acted on
  kUnknown,     // it runs, but what it is cannot be told (access refused)
};

// `tool` (and, POSIX, the group it led: `group`, 0 for none) as the record
// of `recordOwner` (a CurrentUser() text) names it; `gbkProgram` is the
// installation's report tool. Its start must match: an id that another
// process has now is kGone.
[[nodiscard]] RecordedTool InspectRecordedTool(const ProcessIdentity& tool, std::uint32_t group,
                                               const std::string& recordOwner,
                                               const std::string& gbkProgram);

enum class EndOutcome {
  kNotRunning,  // `tool` had already ended
  kEnded,       // it was running; it is gone now
  kFailed,      // it could not be ended, or was still there at the limit
};

// Ends a tool that InspectRecordedTool found kMine, with its group (POSIX),
// unless it has ended already, and waits at most `limitMs` milliseconds
// until it is gone.
[[nodiscard]] EndOutcome EndRecordedTool(const ProcessIdentity& tool, std::uint32_t group,
                                         std::uint32_t limitMs);

// Starts `commandLine` like ChildProcess::Start (in `folder`, or the
// caller's current folder when it is empty) but does not keep the process:
// it runs on independently and leaves nothing behind to reap. Returns false
// when it cannot be started.
[[nodiscard]] bool StartDetached(const std::string& commandLine, const std::string& folder = {});

}  // namespace vok::platform
