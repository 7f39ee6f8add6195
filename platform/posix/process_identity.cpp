// Other processes by identity, from /proc: a process is its id and its start
// time (field 22 of /proc/<pid>/stat, clock ticks since boot), so that an id
// the system has handed on never names the process that had it before.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/faults.h"
#include "platform/files.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/posix_procfs.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/deadline.h"

namespace vok::platform {
namespace posix {

std::optional<ProcStat> ReadStat(pid_t pid) {
  char path[40];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  char bytes[1024];
  const ssize_t n = ::read(fd.get(), bytes, sizeof bytes - 1);
  if (n <= 0) return std::nullopt;
  bytes[n] = '\0';
  // The program's name comes second, in parentheses, and may itself hold
  // blanks and parentheses: the fields after it start past the last ')'.
  const char* open = std::strchr(bytes, '(');
  const char* rest = nullptr;
  for (const char* at = bytes; *at != '\0'; ++at) {
    if (*at == ')') rest = at + 1;
  }
  if (rest == nullptr || open == nullptr || open >= rest) return std::nullopt;
  ProcStat stat;
  stat.name.assign(open + 1, rest - 1);
  unsigned long long start = 0;
  int parent = 0;
  int group = 0;
  int session = 0;
  // state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt
  // utime stime cutime cstime priority nice threads itrealvalue starttime
  if (std::sscanf(rest, " %c %d %d %d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d "
                        "%*d %llu",
                  &stat.state, &parent, &group, &session, &start) != 5) {
    return std::nullopt;
  }
  stat.start = start;
  stat.parent = parent;
  stat.group = group;
  stat.session = session;
  return stat;
}

namespace {

bool Ended(const ProcStat& stat) { return stat.state == 'Z' || stat.state == 'X'; }

// The pid of a /proc entry's name; 0 for other entries.
pid_t PidOfEntry(const char* name) {
  pid_t pid = 0;
  for (const char* at = name; *at != '\0'; ++at) {
    if (*at < '0' || *at > '9' || pid > 100000000) return 0;
    pid = pid * 10 + (*at - '0');
  }
  return pid;
}

}  // namespace

void ForEachLiveProcess(const std::function<void(pid_t, const ProcStat&)>& visit) {
  const FolderListing proc(::opendir("/proc"));
  if (!proc) return;
  while (const dirent* entry = ::readdir(proc.get())) {
    const pid_t pid = PidOfEntry(entry->d_name);
    if (pid == 0) continue;
    const std::optional<ProcStat> stat = ReadStat(pid);
    if (stat && !Ended(*stat)) visit(pid, *stat);
  }
}

std::vector<LiveProcess> LiveGroupMembers(pid_t group, std::uint64_t notBefore) {
  std::vector<LiveProcess> members;
  ForEachLiveProcess([&](pid_t pid, const ProcStat& stat) {
    if (stat.group == group && stat.start >= notBefore) members.push_back({pid, stat.start});
  });
  return members;
}

void KillProcesses(const std::vector<LiveProcess>& processes) {
  for (const LiveProcess& process : processes) {
    UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, process.pid, 0)));
    // Checked again with the pidfd open: from here on the id cannot pass
    // to another process unnoticed.
    const std::optional<ProcStat> stat = ReadStat(process.pid);
    if (!stat || Ended(*stat) || stat->start != process.start) continue;
    if (pidfd.valid()) {
      ::syscall(SYS_pidfd_send_signal, pidfd.get(), SIGKILL, nullptr, 0);
    } else {
      ::kill(process.pid, SIGKILL);
    }
  }
}

bool KillUntilGone(const std::function<std::vector<LiveProcess>()>& alive,
                   std::uint32_t limitMs) {
  const Deadline deadline(limitMs);
  for (;;) {
    const std::vector<LiveProcess> processes = alive();
    if (processes.empty()) return true;
    if (deadline.Passed()) return false;
    KillProcesses(processes);
    deadline.Pause(10);
  }
}

}  // namespace posix

namespace {

using posix::ProcStat;
using posix::ReadStat;

// The stat of `who` while it runs: its id, its start time, not yet ended.
std::optional<ProcStat> StatWhileRunning(const ProcessIdentity& who) {
  if (who.id == 0) return std::nullopt;
  const std::optional<ProcStat> stat = ReadStat(static_cast<pid_t>(who.id));
  if (!stat || stat->state == 'Z' || stat->state == 'X') return std::nullopt;
  if (who.start != 0 && stat->start != who.start) return std::nullopt;
  return stat;
}

std::uint64_t MillisecondsSinceBoot() {
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

// The effective user of process `pid` (the second figure of "Uid:" in its
// status, which every user may read); nothing when it cannot be read.
std::optional<uid_t> EffectiveUserOf(pid_t pid) {
  if (InjectedFailure(faults::Operation::kOpenProcess)) return std::nullopt;
  char path[40];
  std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
  const posix::UniqueStream status(std::fopen(path, "re"));
  if (!status) return std::nullopt;
  std::optional<uid_t> user;
  char line[256];
  while (std::fgets(line, sizeof line, status.get()) != nullptr) {
    unsigned long real = 0;
    unsigned long effective = 0;
    if (std::sscanf(line, "Uid: %lu %lu", &real, &effective) == 2) {
      user = static_cast<uid_t>(effective);
      break;
    }
  }
  return user;
}

// Whether process `pid` runs the program file `gbkProgram` (the same file,
// whatever path names it); nothing when its image cannot be looked at.
std::optional<bool> RunsProgram(pid_t pid, const std::string& gbkProgram) {
  const std::optional<FileStamp> image = StampOf("/proc/" + std::to_string(pid) + "/exe");
  if (!image) return std::nullopt;
  return IsSameFile(*image, StampOf(gbkProgram));
}

}  // namespace

std::optional<ProcessIdentity> IdentityOfProcess(std::uint32_t id) {
  const std::optional<ProcStat> stat = id == 0 ? std::nullopt : ReadStat(static_cast<pid_t>(id));
  if (!stat) return std::nullopt;
  return ProcessIdentity{id, stat->start};
}

ProcessIdentity CurrentProcessIdentity() {
  return IdentityOfProcess(ProcessId()).value_or(ProcessIdentity{ProcessId(), 0});
}

std::string CurrentUser() { return std::to_string(::geteuid()); }

std::uint64_t StartedMsAgo(const ProcessIdentity& who) {
  const long ticks = ::sysconf(_SC_CLK_TCK);
  const std::uint64_t started = ticks > 0 ? who.start * 1000u / static_cast<std::uint64_t>(ticks)
                                          : 0;
  const std::uint64_t now = MillisecondsSinceBoot();
  return now > started ? now - started : 0;
}

std::optional<std::uint64_t> RunningForMs(const ProcessIdentity& who) {
  const std::optional<ProcStat> stat = StatWhileRunning(who);
  if (!stat) return std::nullopt;
  return StartedMsAgo({who.id, stat->start});
}

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> list;
  posix::ForEachLiveProcess([&](pid_t pid, const ProcStat& stat) {
    ProcessEntry process;
    process.identity = {static_cast<std::uint32_t>(pid), stat.start};
    process.parent = static_cast<std::uint32_t>(stat.parent);
    process.group = static_cast<std::uint32_t>(stat.group);
    process.session = static_cast<std::uint32_t>(stat.session);
    process.name = stat.name;
    list.push_back(std::move(process));
  });
  return list;
}

ProcessLook LookAtProcess(const ProcessEntry& process, const std::string& gbkProgram) {
  ProcessLook look;
  const pid_t pid = static_cast<pid_t>(process.identity.id);
  const std::optional<uid_t> user = EffectiveUserOf(pid);
  const std::optional<bool> runs = RunsProgram(pid, gbkProgram);
  // Asked after the looks: the id may have passed to another process.
  if (!StatWhileRunning(process.identity)) {
    look.ended = true;
    return look;
  }
  if (user) look.user = std::to_string(*user);
  look.runs_program = runs;
  return look;
}

// A kernel's boot_id is new with every boot.
std::string BootIdentity() {
  posix::UniqueFd fd(::open("/proc/sys/kernel/random/boot_id", O_RDONLY | O_CLOEXEC));
  char bytes[64];
  const ssize_t n = fd.valid() ? ::read(fd.get(), bytes, sizeof bytes) : -1;
  if (n <= 0) return {};
  std::string boot(bytes, static_cast<std::size_t>(n));
  while (!boot.empty() && (boot.back() == '\n' || boot.back() == ' ')) boot.pop_back();
  return boot;
}

bool IsThisBoot(const std::string& boot) { return !boot.empty() && boot == BootIdentity(); }

// The tool may belong to nobody's child here: its end is watched in /proc.
EndOutcome EndRecordedTool(const ProcessIdentity& tool, std::uint32_t group,
                           std::uint32_t limitMs) {
  const pid_t pid = static_cast<pid_t>(tool.id);
  auto alive = [&] {
    std::vector<posix::LiveProcess> members;
    if (StatWhileRunning(tool)) members.push_back({pid, tool.start});
    if (group == tool.id) {
      for (const posix::LiveProcess& member : posix::LiveGroupMembers(pid, tool.start)) {
        if (member.pid != pid) members.push_back(member);
      }
    }
    return members;
  };
  if (alive().empty()) return EndOutcome::kNotRunning;
  return posix::KillUntilGone(alive, limitMs) ? EndOutcome::kEnded : EndOutcome::kFailed;
}

}  // namespace vok::platform
