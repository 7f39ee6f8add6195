// Other processes by identity, from /proc: a process is its id and its start
// time (field 22 of /proc/<pid>/stat, clock ticks since boot), so that an id
// the system has handed on never names the process that had it before.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/posix/posix_fd.h"
#include "platform/process.h"
#include "platform/program.h"

namespace vok::platform {
namespace {

struct ProcStat {
  char state = 0;
  std::uint64_t start = 0;
  pid_t group = 0;
};

// The fields of /proc/<pid>/stat that tell who the process is; nothing when
// there is no such process.
std::optional<ProcStat> ReadStat(std::uint32_t id) {
  char path[40];
  std::snprintf(path, sizeof path, "/proc/%u/stat", id);
  posix::UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return std::nullopt;
  char bytes[1024];
  const ssize_t n = ::read(fd.Get(), bytes, sizeof bytes - 1);
  if (n <= 0) return std::nullopt;
  bytes[n] = '\0';
  // The program's name comes second, in parentheses, and may itself hold
  // blanks and parentheses: the fields after it start past the last ')'.
  const char* rest = nullptr;
  for (const char* at = bytes; *at != '\0'; ++at) {
    if (*at == ')') rest = at + 1;
  }
  if (rest == nullptr) return std::nullopt;
  ProcStat stat;
  unsigned long long start = 0;
  int group = 0;
  // state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt
  // utime stime cutime cstime priority nice threads itrealvalue starttime
  if (std::sscanf(rest, " %c %*d %d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d "
                        "%*d %llu",
                  &stat.state, &group, &start) != 3) {
    return std::nullopt;
  }
  stat.start = start;
  stat.group = group;
  return stat;
}

// The stat of `who` while it runs: its id, its start time, not yet ended.
std::optional<ProcStat> StatWhileRunning(const ProcessIdentity& who) {
  if (who.id == 0) return std::nullopt;
  const std::optional<ProcStat> stat = ReadStat(who.id);
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

}  // namespace

std::optional<ProcessIdentity> IdentityOfProcess(std::uint32_t id) {
  const std::optional<ProcStat> stat = id == 0 ? std::nullopt : ReadStat(id);
  if (!stat) return std::nullopt;
  return ProcessIdentity{id, stat->start};
}

ProcessIdentity CurrentProcessIdentity() {
  return IdentityOfProcess(ProcessId()).value_or(ProcessIdentity{ProcessId(), 0});
}

std::optional<std::uint64_t> RunningForMs(const ProcessIdentity& who) {
  const std::optional<ProcStat> stat = StatWhileRunning(who);
  if (!stat) return std::nullopt;
  const long ticks = ::sysconf(_SC_CLK_TCK);
  const std::uint64_t started = ticks > 0 ? stat->start * 1000u / static_cast<std::uint64_t>(ticks)
                                          : 0;
  const std::uint64_t now = MillisecondsSinceBoot();
  return now > started ? now - started : 0;
}

// The process may belong to anybody and be nobody's child here: its end is
// watched through a pidfd where there is one, else by looking again.
EndOutcome EndProcess(const ProcessIdentity& who, std::uint32_t limitMs) {
  std::optional<ProcStat> stat = StatWhileRunning(who);
  if (!stat) return EndOutcome::kNotRunning;
  posix::UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, who.id, 0)));
  // Checked again with the pidfd open: from here on the id cannot pass to
  // another process unnoticed.
  stat = StatWhileRunning(who);
  if (!stat) return EndOutcome::kNotRunning;
  const pid_t pid = static_cast<pid_t>(who.id);
  const int rc = stat->group == pid ? ::kill(-pid, SIGKILL) : ::kill(pid, SIGKILL);
  if (rc != 0 && errno != ESRCH) return EndOutcome::kFailed;
  for (std::uint32_t waited = 0;; waited += 10) {
    if (pidfd.Valid()) {
      pollfd entry{pidfd.Get(), POLLIN, 0};
      if (::poll(&entry, 1, 0) > 0) return EndOutcome::kEnded;
    } else if (!StatWhileRunning(who)) {
      return EndOutcome::kEnded;
    }
    if (waited >= limitMs) return EndOutcome::kFailed;
    SleepMilliseconds(10);
  }
}

}  // namespace vok::platform
