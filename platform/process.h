// Starting and waiting for the report tools.
//
// A command line is one narrow (GBK) text, as on Windows: the program is its
// first token, in double quotes or up to the first blank, and the rest is
// handed to the program as it stands.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_error.h"

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

// What a child is started together with.
enum class ChildScope {
  kAlone,
  // The child and what it starts are kept together, so that Terminate ends
  // them all. Windows: a job object of its own, which also ends them when
  // its last handle closes: when the ChildProcess goes, at the latest when
  // the host ends (EndsWithHost). Its programs stay in the job unless they
  // leave it on purpose (breakaway is allowed, never silent), so none of
  // them outlives the call to write into the next one. A host whose own
  // job allows no nested job and no breakaway leaves the child outside one
  // (EndsWithHost says so), and the holder record lets the next call end
  // it. POSIX: a process group the child leads, which Terminate and
  // EndRecordedTool end whole; nothing ends it with the host.
  kWithWhatItStarts,
};

// A started child process. Owns its handles; the destructor closes them
// without waiting or terminating (a child that ends with its host ends
// then). Move-only.
class ChildProcess {
 public:
  struct State;

  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Starts `commandLine` with the caller's environment, no inherited
  // handles, in `folder` (GBK) or, when that is empty, the caller's current
  // folder. `beforeRunning`, when given, is called with the child before it
  // runs a single instruction of its own (Windows: created suspended; POSIX:
  // right after the spawn, the closest the system allows): when it returns
  // false the child is ended and nothing is returned. Nothing too when it
  // cannot be started; `error`, when given, receives the system's error
  // code then (0 when `beforeRunning` refused it).
  [[nodiscard]] static std::optional<ChildProcess> Start(
      const std::string& commandLine, int* error = nullptr, ChildScope scope = ChildScope::kAlone,
      const std::string& folder = {},
      const std::function<bool(const ChildProcess&)>& beforeRunning = {});

  // Who the child is, for others to find it by.
  [[nodiscard]] ProcessIdentity Identity() const;

  // The process group the child leads (POSIX, kWithWhatItStarts), which its own
  // children share unless they leave it; 0 when it leads none.
  [[nodiscard]] std::uint32_t Group() const;

  // Whether the system ends the child, and what it started, with its host
  // (see ChildScope); never on POSIX.
  [[nodiscard]] bool EndsWithHost() const;

  // Waits for the process to end, at most `limitMs` milliseconds, or without
  // limit when `limitMs` is empty.
  [[nodiscard]] WaitOutcome Wait(std::optional<std::uint32_t> limitMs);

  // Ends the process with `exitCode` (where the system lets the code be
  // chosen) and reaps it; a child of kWithWhatItStarts is ended with what
  // it started (its job, its process group). Returns false when it, or one of those, could
  // not be ended. A thread with a message queue answers sent messages
  // while it waits for the end.
  Status Terminate(std::uint32_t exitCode);

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

// How long ago, in milliseconds, the process `who` started, from its start
// stamp alone: for a listed process that this caller may not open.
[[nodiscard]] std::uint64_t StartedMsAgo(const ProcessIdentity& who);

// The user this process runs as, as the system names it to others: the
// effective user id in decimal (POSIX), the SID as a string (Windows).
[[nodiscard]] std::string CurrentUser();

// One process as the system's list of processes shows it to every user,
// without opening it: a process that the caller may not open (another
// user's, a service, a protected one) is still seen, with its start.
struct ProcessEntry {
  ProcessIdentity identity;
  std::uint32_t parent = 0;
  std::uint32_t group = 0;    // POSIX: its process group; Windows: 0
  std::uint32_t session = 0;  // the logon session (Windows) or POSIX session
  std::string name;           // its program file's name without the folder
};

// Every process of the machine now (POSIX: of this machine's /proc).
// Empty only when the system will not list them.
[[nodiscard]] std::vector<ProcessEntry> ListProcesses();

// What this caller can learn of a listed process beyond the list; each
// part is nothing where the system will not tell (a process of another
// user that this caller may not open).
struct ProcessLook {
  bool ended = false;                // it has ended since it was listed
  std::optional<std::string> user;   // a CurrentUser() text
  std::optional<bool> runs_program;  // whether it runs the program file asked about
};

// Looks at `process` while it is still the process listed (its start is
// compared); `gbkProgram` is the program file to compare its image with,
// whatever path names it.
[[nodiscard]] ProcessLook LookAtProcess(const ProcessEntry& process, const std::string& gbkProgram);

// The running system's boot, as a text that a record can keep: another
// boot gives another text. IsThisBoot tells whether a kept text names this
// boot (Windows: allowing for the clock being set since).
[[nodiscard]] std::string BootIdentity();
[[nodiscard]] bool IsThisBoot(const std::string& boot);

enum class EndOutcome {
  kNotRunning,  // `tool` had already ended
  kEnded,       // it was running; it is gone now
  kFailed,      // it could not be ended, or was still there at the limit
};

// Ends `tool`, a report tool of this caller's user that a record of its
// own names (install_lock_rules.h decides that), with its group (POSIX),
// unless it has ended already, and waits at most `limitMs` milliseconds
// until it is gone. A thread with a message queue answers sent messages
// while it waits.
[[nodiscard]] EndOutcome EndRecordedTool(const ProcessIdentity& tool, std::uint32_t group,
                                         std::uint32_t limitMs);

// Starts `commandLine` like ChildProcess::Start (in `folder`, or the
// caller's current folder when it is empty) but does not keep the process:
// it runs on independently and leaves nothing behind to reap. Fails when it
// cannot be started.
[[nodiscard]] Status StartDetached(const std::string& commandLine, const std::string& folder = {});

}  // namespace vok::platform
