#include "platform/trace_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/faults.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"

namespace vok::platform {

struct TraceFile::State {
  posix::UniqueFd fd;
};

std::optional<TraceFile> TraceFile::Open(const std::string& gbkPath, std::uint64_t capBytes) {
  const std::optional<std::string> path = posix::ToSystemPath(gbkPath);
  if (!path || path->empty()) return std::nullopt;
  struct stat st {};
  if (::stat(path->c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uint64_t>(st.st_size) > capBytes) {
    // Another process may have moved it a moment ago; either way a fresh
    // file follows.
    const int moved = std::rename(path->c_str(), (*path + ".1").c_str());
    static_cast<void>(moved);
  }
  auto state = std::make_unique<State>();
  state->fd.Reset(::open(path->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0644));
  if (!state->fd.Valid()) return std::nullopt;
  if (::fstat(state->fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return TraceFile(std::move(state));
}

TraceFile::TraceFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
TraceFile::TraceFile(TraceFile&&) noexcept = default;
TraceFile& TraceFile::operator=(TraceFile&&) noexcept = default;
TraceFile::~TraceFile() = default;

// O_APPEND moves to the end and writes in one step; a line that is written
// short (a full disk) is not continued, so that no later line joins it.
bool TraceFile::Append(std::string_view line) {
  if (!state_ || posix::InjectedFailure(testing::Operation::kWriteTrace)) return false;
  ssize_t written;
  do {
    written = ::write(state_->fd.Get(), line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  return written == static_cast<ssize_t>(line.size());
}

void TraceToDebugger(std::string_view) {}

}  // namespace vok::platform
