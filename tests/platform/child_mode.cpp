#include "tests/platform/child_mode.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/program.h"

namespace vok::test {
namespace {

// Plain POSIX I/O only: this may run before main, ahead of other static
// initialisers.
std::string ReadSmallFile(const char* path) {
  std::string data;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return data;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

std::string OpenDescriptors() {
  std::string list;
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return "?";
  const int own = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own) continue;
    if (!list.empty()) list += ',';
    list += entry->d_name;
  }
  ::closedir(dir);
  return list;
}

// The SigBlk and SigIgn masks of /proc/self/status, as "<blocked>/<ignored>".
std::string SignalState() {
  const std::string status = ReadSmallFile("/proc/self/status");
  auto field = [&status](const std::string& name) -> std::string {
    const std::size_t at = status.find("\n" + name + ":");
    if (at == std::string::npos) return "?";
    const std::size_t start = status.find_first_not_of(" \t", at + name.size() + 2);
    const std::size_t end = status.find('\n', start);
    return status.substr(start, end - start);
  };
  return field("SigBlk") + "/" + field("SigIgn");
}

void Record(const char* file, int argc, char** argv) {
  std::string data;
  for (const std::string& field :
       {std::to_string(::getpid()), std::to_string(argc), OpenDescriptors(), SignalState(),
        std::string(argc > 0 ? argv[0] : ""), std::string(argc > 1 ? argv[1] : ""),
        platform::CommandLineTail(argc, argv)}) {
    data += field;
    data += '\0';
  }
  const std::string part = std::string(file) + ".part";
  const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::_Exit(99);
  const bool written = ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
  if (::close(fd) != 0 || !written || std::rename(part.c_str(), file) != 0) std::_Exit(99);
}

// glibc calls .init_array entries with argc, argv and envp. Running the
// child mode from there, before main, keeps a test main that forgot to call
// RunChildModeIfAsked from turning every child into a full test run that
// starts children of its own.
void ChildModeBeforeMain(int argc, char** argv, char** /*envp*/) {
  RunChildModeIfAsked(argc, argv);
}
__attribute__((section(".init_array"), used)) void (*const kChildModeHook)(int, char**, char**) =
    &ChildModeBeforeMain;

}  // namespace

bool RunChildModeIfAsked(int argc, char** argv) {
  const char* mode = std::getenv(kChildModeVariable);
  if (mode == nullptr) return false;
  if (const char* file = std::getenv(kChildRecordVariable)) Record(file, argc, argv);
  const std::string m(mode);
  if (m.rfind("sleep:", 0) == 0) {
    platform::SleepMilliseconds(static_cast<std::uint32_t>(std::atol(m.c_str() + 6)));
    std::_Exit(0);
  }
  if (m.rfind("exit:", 0) == 0) std::_Exit(std::atoi(m.c_str() + 5));
  std::_Exit(0);
}

}  // namespace vok::test
