// What the process layer shares between waited-for and detached children:
// reading a Windows-style command line and the spawn attributes.
#pragma once

#include <memory>
#include <spawn.h>
#include <string>

namespace vok::platform::posix {

// A command line made ready for posix_spawn. The child always gets two
// arguments: argv[0] the program's OS path, argv[1] the rest of the
// command line byte for byte (the tools read it as their GetCommandLine).
class SpawnRequest {
 public:
  // Nothing (with *error set) when the program token does not map onto a
  // path, or the spawn attributes cannot be prepared.
  // `ownGroup`: the child leads a new process group.
  static std::unique_ptr<SpawnRequest> FromCommandLine(const std::string& commandLine,
                                                       int* error, bool ownGroup = false);

  SpawnRequest(const SpawnRequest&) = delete;
  SpawnRequest& operator=(const SpawnRequest&) = delete;
  ~SpawnRequest();

  // The child starts in `folder` (a GBK path) rather than the host's
  // current folder. 0, or the error code.
  int StartIn(const std::string& folder);

  // posix_spawn's result: 0, or the error code (exec failures included).
  int Spawn(pid_t* pid);

 private:
  SpawnRequest() = default;

  std::string program_;
  std::string tail_;
  char* argv_[3] = {nullptr, nullptr, nullptr};
  posix_spawn_file_actions_t actions_{};
  posix_spawnattr_t attributes_{};
  bool actionsReady_ = false;
  bool attributesReady_ = false;
};

}  // namespace vok::platform::posix
