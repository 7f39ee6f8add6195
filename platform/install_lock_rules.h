// The decisions about an installation's lock that both platform layers
// share; the layers only report facts (platform/process.h, the records of
// platform/install_lock.h). What a holder record's report tool is to the
// call that finds it, which running processes may be the installation's
// report tool, and one call per thread and installation at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/install_lock.h"
#include "platform/process.h"

namespace vok::platform {

// Whether the holder's record goes when it lets go of the installation: only
// when the last record it published names no report tool. A tool that
// would not end stays in the record for the next call of its user.
[[nodiscard]] inline bool RecordGoesWithRelease(const InstallLockHolder& last) {
  return last.tool.id == 0;
}

// What the report tool a record of this caller's user names is to it.
enum class RecordedTool {
  kNone,    // the record names no tool
  kStale,   // written before this boot, or its tool (and what it led) has
            // ended, or its id names another process now: the record tells
            // nothing any more and is dropped
  kSelf,    // it names this process or one it descends from: never ended
  kMine,    // this user's report tool of the installation, still running:
            // the call that took the installation ends it
  kUnsure,  // still running, but whose it is or what it runs cannot be
            // told: waited for, never ended
};

// What the decisions are made from, gathered once per look.
struct ProcessFacts {
  std::vector<ProcessEntry> processes;  // ListProcesses()
  std::uint32_t self = 0;               // this process's id
  std::string user;                     // CurrentUser()
  // LookAtProcess for the installation's report tool.
  std::function<ProcessLook(const ProcessEntry&)> look;
};

// The facts of this machine now, `gbkProgram` being the installation's
// report tool.
[[nodiscard]] ProcessFacts LookAtProcesses(const std::string& gbkProgram);

struct RecordedToolVerdict {
  RecordedTool what = RecordedTool::kNone;
  const char* why = "";  // for the trace and doctor
};

// What `record`'s tool is; `thisBoot`: IsThisBoot(record.boot).
[[nodiscard]] RecordedToolVerdict ClassifyRecordedTool(const InstallLockHolder& record,
                                                       bool thisBoot, const ProcessFacts& facts);

// The processes of `facts` that may be the installation's report tool,
// whose program file is named `toolName`: every one listed under that
// name whose image is not known to be another file, but this process and
// those it descends from. A call waits while any of them runs.
[[nodiscard]] std::vector<ProcessEntry> ReportToolsRunning(const ProcessFacts& facts,
                                                           const std::string& toolName);

// `self` and the processes it descends from, as far as `processes` shows
// them (a parent that ended, or whose id a later process has, ends the line).
[[nodiscard]] std::vector<std::uint32_t> SelfAndAncestors(
    const std::vector<ProcessEntry>& processes, std::uint32_t self);

// Marks the calling thread as being inside a call on one installation for
// as long as it lives. A host whose thread serves sent messages while a
// call waits (platform/win32/host_wait.h) may run a window procedure that
// calls again; a Windows mutex would let that thread in a second time, a
// POSIX flock of another descriptor would keep it out for good. Neither may
// happen: the inner call is refused at once instead.
class InstallationEntry {
 public:
  // Nothing when this thread is inside a call on `installation` already.
  [[nodiscard]] static std::optional<InstallationEntry> Enter(const std::string& installation);

  InstallationEntry(InstallationEntry&& other) noexcept;
  InstallationEntry& operator=(InstallationEntry&& other) noexcept;
  InstallationEntry(const InstallationEntry&) = delete;
  InstallationEntry& operator=(const InstallationEntry&) = delete;
  ~InstallationEntry();

  struct Node;

 private:
  explicit InstallationEntry(Node* node) : node_(node) {}
  void Leave() noexcept;
  Node* node_;  // in this thread's chain; null once moved from
};

}  // namespace vok::platform
