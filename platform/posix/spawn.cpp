#include "platform/posix/posix_spawn.h"

#include <cerrno>
#include <csignal>
#include <optional>
#include <unistd.h>

#include "platform/posix/posix_paths.h"

namespace vok::platform::posix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits off the program token: between double quotes when the line starts
// with one, else up to the first blank. The tail starts after the token and
// one blank following it.
void SplitCommandLine(const std::string& line, std::string& program, std::string& tail) {
  std::size_t end;
  std::size_t next;
  if (!line.empty() && line[0] == '"') {
    end = line.find('"', 1);
    if (end == std::string::npos) end = next = line.size();
    else next = end + 1;
    program = line.substr(1, end - 1);
  } else {
    end = 0;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    next = end;
    program = line.substr(0, end);
  }
  if (next < line.size() && IsBlank(line[next])) ++next;
  tail = line.substr(next);
}

}  // namespace

std::unique_ptr<SpawnRequest> SpawnRequest::FromCommandLine(const std::string& commandLine,
                                                            int* error, bool ownGroup) {
  auto fail = [error](int code) -> std::unique_ptr<SpawnRequest> {
    if (error != nullptr) *error = code;
    return nullptr;
  };
  std::string token;
  std::string tail;
  SplitCommandLine(commandLine, token, tail);
  if (token.empty()) return fail(ENOENT);
  std::optional<std::string> program = ToSystemPath(token);
  if (!program) return fail(errno);

  std::unique_ptr<SpawnRequest> request(new SpawnRequest());
  request->program_ = std::move(*program);
  request->tail_ = std::move(tail);
  request->argv_[0] = request->program_.data();
  request->argv_[1] = request->tail_.data();

  int rc = posix_spawn_file_actions_init(&request->actions_);
  if (rc != 0) return fail(rc);
  request->actionsReady_ = true;
  // Descriptors the host opened without close-on-exec stay with the host.
  rc = posix_spawn_file_actions_addclosefrom_np(&request->actions_, STDERR_FILENO + 1);
  if (rc != 0) return fail(rc);

  rc = posix_spawnattr_init(&request->attributes_);
  if (rc != 0) return fail(rc);
  request->attributesReady_ = true;
  // The child starts like a freshly launched program: nothing blocked,
  // every signal at its default, whatever the host did to its own.
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  rc = posix_spawnattr_setsigmask(&request->attributes_, &none);
  if (rc == 0) rc = posix_spawnattr_setsigdefault(&request->attributes_, &all);
  if (rc == 0 && ownGroup) rc = posix_spawnattr_setpgroup(&request->attributes_, 0);
  if (rc == 0) {
    const short group = ownGroup ? POSIX_SPAWN_SETPGROUP : 0;
    rc = posix_spawnattr_setflags(&request->attributes_,
                                  POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | group);
  }
  if (rc != 0) return fail(rc);
  return request;
}

SpawnRequest::~SpawnRequest() {
  if (actionsReady_) posix_spawn_file_actions_destroy(&actions_);
  if (attributesReady_) posix_spawnattr_destroy(&attributes_);
}

int SpawnRequest::StartIn(const std::string& folder) {
  const std::optional<std::string> path = ToSystemPath(folder);
  if (!path) return errno;
  // The program's own path was named from the host's current folder.
  if (!program_.empty() && program_[0] != '/') {
    char here[4096];
    if (::getcwd(here, sizeof here) == nullptr) return errno;
    program_ = std::string(here) + "/" + program_;
    argv_[0] = program_.data();
  }
  return posix_spawn_file_actions_addchdir_np(&actions_, path->c_str());
}

int SpawnRequest::Spawn(pid_t* pid) {
  return posix_spawn(pid, argv_[0], &actions_, &attributes_, argv_, environ);
}

}  // namespace vok::platform::posix
