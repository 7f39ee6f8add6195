#include "platform/program.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

#include "platform/codepage.h"
#include "platform/path_parts.h"
#include "platform/posix/posix_codepage.h"

namespace vok::platform {

std::string CommandLineTail(int argc, char** argv) {
  // The process layer hands the whole tail over as the only argument.
  return argc >= 2 && argv[1] != nullptr ? std::string(argv[1]) : std::string();
}

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      break;
    }
    path.resize(path.size() * 2);
  }
  // Narrow texts are GBK everywhere in the library.
  return Utf8ToGbk(path);
}

std::string ExecutableFolder() { return FolderOfPath(ExecutablePath()); }

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(::getpid()); }

std::uint32_t ThreadId() { return static_cast<std::uint32_t>(::gettid()); }

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return posix::Utf8ToGbkStrict(value);
}

char PathSeparator() { return '/'; }

void SleepMilliseconds(std::uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace vok::platform
