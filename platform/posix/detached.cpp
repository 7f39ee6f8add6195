// Children nobody waits for. An intermediate child spawns the program and
// exits at once, so the program is reparented to init and never becomes a
// zombie of the host; the host's signal dispositions stay untouched.
#include "platform/process.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/faults.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_spawn.h"

namespace vok::platform {

namespace {

bool StartDetachedOnce(const std::string& commandLine, const std::string& folder) {
  if (InjectedFailure(faults::Operation::kStartProcess)) return false;
  // Everything the intermediate child needs is prepared before fork: after
  // it only posix_spawn, write and _exit run.
  std::unique_ptr<posix::SpawnRequest> request =
      posix::SpawnRequest::FromCommandLine(commandLine, nullptr);
  if (!request || (!folder.empty() && request->StartIn(folder) != 0)) return false;

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  posix::UniqueFd readEnd(ends[0]);
  posix::UniqueFd writeEnd(ends[1]);

  const pid_t intermediate = ::fork();
  if (intermediate < 0) return false;
  if (intermediate == 0) {
    pid_t program;
    const int rc = request->Spawn(&program);
    // The outcome also goes through the pipe: a host that ignores SIGCHLD
    // or reaps all children itself would hide the exit status from us.
    const ssize_t written = ::write(ends[1], &rc, sizeof rc);
    static_cast<void>(written);
    ::_exit(rc == 0 ? 0 : 127);
  }
  writeEnd.reset();

  int spawnResult = -1;
  ssize_t got;
  do {
    got = ::read(readEnd.get(), &spawnResult, sizeof spawnResult);
  } while (got < 0 && errno == EINTR);

  int status = 0;
  pid_t reaped;
  do {
    reaped = ::waitpid(intermediate, &status, 0);
  } while (reaped < 0 && errno == EINTR);

  if (got == static_cast<ssize_t>(sizeof spawnResult)) {
    errno = spawnResult;
    return spawnResult == 0;
  }
  if (reaped == intermediate && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  errno = ECHILD;
  return false;
}

}  // namespace

Status StartDetached(const std::string& commandLine, const std::string& folder) {
  return Status::Of(StartDetachedOnce(commandLine, folder), "start");
}

}  // namespace vok::platform
