#include "platform/trace_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/faults.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"

namespace vok::platform {

struct TraceFile::State {
  posix::UniqueFd fd;
};

namespace {

// Why `path` could not be opened, or was refused, as the entry there shows.
TraceRefusal RefusalAt(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return TraceRefusal::kCannotOpen;
  if (S_ISLNK(st.st_mode) || (S_ISREG(st.st_mode) && st.st_nlink > 1)) return TraceRefusal::kLink;
  return S_ISREG(st.st_mode) ? TraceRefusal::kCannotOpen : TraceRefusal::kNotAFile;
}

// The trace names accounts, servers and folders: it is for its user only.
// A file of this user's that was made readable to others is closed up again;
// one opened up for others to write (the machine-wide trace) stays so.
// A link is not followed and nothing but a plain file is kept open; opening
// a pipe without a reader fails at once instead of waiting for one.
posix::UniqueFd OpenForAppending(const std::string& path, struct stat& st, TraceRefusal& refusal) {
  posix::UniqueFd fd(::open(path.c_str(),
                            O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW |
                                O_NONBLOCK,
                            S_IRUSR | S_IWUSR));
  if (!fd.valid()) {
    refusal = RefusalAt(path);
    return fd;
  }
  if (::fstat(fd.get(), &st) != 0) {
    refusal = TraceRefusal::kCannotOpen;
    return posix::UniqueFd();
  }
  if (!S_ISREG(st.st_mode) || st.st_nlink > 1) {
    refusal = S_ISREG(st.st_mode) ? TraceRefusal::kLink : TraceRefusal::kNotAFile;
    return posix::UniqueFd();
  }
  constexpr mode_t kReadable = S_IRGRP | S_IXGRP | S_IROTH | S_IXOTH;
  if (st.st_uid == ::geteuid() && (st.st_mode & kReadable) != 0) {
    const int closed_up = ::fchmod(fd.get(), st.st_mode & ~kReadable & 07777);
    static_cast<void>(closed_up);
  }
  return fd;
}

// The writers' turn to move the file: flock on the file itself, asked for
// a little while (a move takes a moment). Without it nothing is moved and
// the file grows on; no line is lost either way.
bool TakeMoveTurn(int fd) {
  for (int tries = 0; tries < 100; ++tries) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const struct timespec pause = {0, 2'000'000};
    ::nanosleep(&pause, nullptr);
  }
  return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// Past the cap the file becomes "<path>.1" by one process at a time: the
// one whose turn it is looks again, and moves the file only when the one
// it opened is still the file at `path` and still past the cap. Another
// process that saw the same full file finds it moved and opens the fresh
// one, so the generation just moved is never moved over.
std::optional<TraceFile> TraceFile::Open(const std::string& gbkPath, std::uint64_t capBytes,
                                         TraceRefusal* refusal) {
  TraceRefusal why = TraceRefusal::kCannotOpen;
  if (refusal != nullptr) *refusal = why;
  const std::optional<std::string> path = posix::ToSystemPath(gbkPath);
  if (!path || path->empty()) return std::nullopt;
  struct stat st {};
  posix::UniqueFd fd = OpenForAppending(*path, st, why);
  for (int moves = 0; fd.valid() && moves < 3 && static_cast<std::uint64_t>(st.st_size) > capBytes;
       ++moves) {
    if (!TakeMoveTurn(fd.get())) break;
    struct stat now {};
    if (::fstat(fd.get(), &st) == 0 && ::stat(path->c_str(), &now) == 0 && SameFile(st, now) &&
        static_cast<std::uint64_t>(st.st_size) > capBytes) {
      const int moved = std::rename(path->c_str(), (*path + ".1").c_str());
      static_cast<void>(moved);
    }
    // Released when the descriptor closes: the moved file's, or the one
    // somebody else moved meanwhile; then the file at `path` once more.
    fd = OpenForAppending(*path, st, why);
  }
  if (!fd.valid()) {
    if (refusal != nullptr) *refusal = why;
    return std::nullopt;
  }
  auto state = std::make_unique<State>();
  state->fd = std::move(fd);
  return TraceFile(std::move(state));
}

TraceFile::TraceFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
TraceFile::TraceFile(TraceFile&&) noexcept = default;
TraceFile& TraceFile::operator=(TraceFile&&) noexcept = default;
TraceFile::~TraceFile() = default;

// O_APPEND moves to the end and writes in one step; a line that is written
// short (a full disk) is not continued, so that no later line joins it.
bool TraceFile::Append(std::string_view line, std::uint64_t) {
  if (!state_ || InjectedFailure(faults::Operation::kWriteTrace)) return false;
  ssize_t written;
  do {
    written = ::write(state_->fd.get(), line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  return written == static_cast<ssize_t>(line.size());
}

// Every line gets its turn at once here.
std::uint64_t TraceFile::DroppedLines() { return 0; }

void TraceToDebugger(std::string_view) {}

}  // namespace vok::platform
