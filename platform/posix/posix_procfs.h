// What /proc tells of other processes, shared by the POSIX process files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vok::platform::posix {

struct ProcStat {
  char state = 0;
  std::uint64_t start = 0;  // clock ticks since boot
  pid_t parent = 0;
  pid_t group = 0;
  pid_t session = 0;
  std::string name;  // the program's name as the kernel keeps it (15 bytes at most)
};

// The fields of /proc/<pid>/stat that tell who the process is; nothing when
// there is no such process.
std::optional<ProcStat> ReadStat(pid_t pid);

// Calls `visit` with every process in /proc that has not ended.
void ForEachLiveProcess(const std::function<void(pid_t, const ProcStat&)>& visit);

// A process as /proc named it: its id and its start.
struct LiveProcess {
  pid_t pid = 0;
  std::uint64_t start = 0;
};

// The processes of group `group` that have not ended and started at or
// after `notBefore` (clock ticks since boot): a group's id cannot pass to
// another group while one of its processes lives, and every process that
// joined the tool's group started after the tool.
std::vector<LiveProcess> LiveGroupMembers(pid_t group, std::uint64_t notBefore);

// Sends SIGKILL to each of `processes` that is still the same process (the
// same start), through a pidfd where there is one so that no id handed on
// in between is hit.
void KillProcesses(const std::vector<LiveProcess>& processes);

// Kills what `alive` finds until it finds nothing, for at most `limitMs`
// milliseconds; false when something is still there then.
bool KillUntilGone(const std::function<std::vector<LiveProcess>()>& alive,
                   std::uint32_t limitMs);

}  // namespace vok::platform::posix
