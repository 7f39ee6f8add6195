// The installation lock on POSIX: flock() on one file per installation
// folder in a lock folder that every user of the machine may write in, as
// /tmp itself. The file is named by the folder's device and inode, so every
// spelling of the folder's path meets the same lock, and holds the holder's
// record while it is held. A descriptor of its own per lock keeps threads of
// one process apart too (flock locks belong to the open file, not to the
// process), and close-on-exec keeps it from the report tool. The folder and
// the files are open to every user: a caller that cannot open one for
// writing has no lock, and waits as for a busy one.
#include "platform/install_lock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/install_lock_record.h"
#include "platform/faults.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/program.h"

namespace vok::platform {

struct InstallLock::State {
  posix::UniqueFd fd;  // invalid until the lock file could be opened
  std::string path;
  bool held = false;

  ~State() {
    if (!held) return;
    // An empty record tells readers that nobody holds the installation;
    // a holder that dies leaves its record for the next one.
    const int emptied = ::ftruncate(fd.Get(), 0);
    static_cast<void>(emptied);
    ::flock(fd.Get(), LOCK_UN);
  }
};

namespace {

constexpr char kLockFolder[] = "/tmp/vokqm7-locks";
constexpr std::size_t kRecordLimit = 4096;

// The lock folder, made on first use with the permissions of /tmp (anyone
// may add a file, nobody may remove another's). One that its owner made
// otherwise is put right by its owner; anything else under its name (a
// file, a link, another user's folder closed to others) is not used, and
// the lock fails until someone puts it right.
bool LockFolderReady() {
  if (::mkdir(kLockFolder, 01777) == 0) {
    // mkdir applied the umask.
    return ::chmod(kLockFolder, 01777) == 0;
  }
  if (errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(kLockFolder, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if ((st.st_mode & 07777) == 01777) return true;
  return st.st_uid == ::geteuid() && ::chmod(kLockFolder, 01777) == 0;
}

// Opens (or creates, open to every user) the lock file. A file that this
// caller can lock but not write leaves no record, so nobody could find or
// end this caller's report tool: it counts as no lock at all, as does one
// it cannot open.
posix::UniqueFd OpenLockFile(const std::string& path) {
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
  posix::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kFlags, 0666));
  if (fd.Valid()) {
    ::fchmod(fd.Get(), 0666);
    return fd;
  }
  if (errno != EEXIST) return fd;
  fd.Reset(::open(path.c_str(), O_RDWR | kFlags));
  struct stat st {};
  if (fd.Valid() && (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))) return posix::UniqueFd();
  // Its owner opens it to the others again.
  if (fd.Valid() && (st.st_mode & 0666) != 0666 && st.st_uid == ::geteuid()) {
    ::fchmod(fd.Get(), 0666);
  }
  return fd;
}

// Makes the lock file of `state` when it is not open yet.
bool LockFileReady(InstallLock::State& state) {
  if (state.fd.Valid()) return true;
  if (!LockFolderReady()) return false;
  state.fd = OpenLockFile(state.path);
  return state.fd.Valid();
}

}  // namespace

std::optional<InstallLock> InstallLock::ForFolder(const std::string& gbkFolder) {
  const std::optional<std::string> folder = posix::ToSystemPath(gbkFolder);
  struct stat st {};
  if (!folder || ::stat(folder->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  char name[64];
  std::snprintf(name, sizeof name, "/%llx-%llx.lock", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  auto state = std::make_unique<State>();
  state->path = std::string(kLockFolder) + name;
  // A lock file that cannot be had now is tried again by TryAcquire.
  if (!InjectedFailure(testing::Operation::kOpenInstallLock)) LockFileReady(*state);
  return InstallLock(std::move(state));
}

InstallLock::InstallLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
InstallLock::InstallLock(InstallLock&&) noexcept = default;
InstallLock& InstallLock::operator=(InstallLock&&) noexcept = default;
InstallLock::~InstallLock() = default;

LockOutcome InstallLock::TryAcquire() {
  if (!state_) return LockOutcome::kFailed;
  if (state_->held) return LockOutcome::kTaken;
  if (InjectedFailure(testing::Operation::kTakeInstallLock) || !LockFileReady(*state_)) {
    return LockOutcome::kFailed;
  }
  for (;;) {
    if (::flock(state_->fd.Get(), LOCK_EX | LOCK_NB) == 0) {
      state_->held = true;
      return LockOutcome::kTaken;
    }
    if (errno == EWOULDBLOCK) return LockOutcome::kBusy;
    if (errno != EINTR) return LockOutcome::kFailed;
  }
}

// flock() cannot wait with a limit: tries again after pauses that grow to
// 20 ms, so that a short hold costs little and a long one little CPU.
LockOutcome InstallLock::Acquire(std::uint32_t limitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  std::uint32_t pause_ms = 1;
  for (;;) {
    const LockOutcome outcome = TryAcquire();
    if (outcome != LockOutcome::kBusy || Clock::now() >= deadline) return outcome;
    SleepMilliseconds(pause_ms);
    if (pause_ms < 20) pause_ms *= 2;
  }
}

void InstallLock::Publish(const InstallLockHolder& holder) {
  if (!state_ || !state_->held) return;
  const std::string record = FormatHolderRecord(holder);
  const ssize_t written = ::pwrite(state_->fd.Get(), record.data(), record.size(), 0);
  if (written != static_cast<ssize_t>(record.size())) return;
  const int cut = ::ftruncate(state_->fd.Get(), static_cast<off_t>(record.size()));
  static_cast<void>(cut);
}

std::optional<InstallLockHolder> InstallLock::Holder() const {
  if (!state_ || !state_->fd.Valid()) return std::nullopt;
  char bytes[kRecordLimit];
  const ssize_t n = ::pread(state_->fd.Get(), bytes, sizeof bytes, 0);
  if (n <= 0) return std::nullopt;
  return ParseHolderRecord(std::string_view(bytes, static_cast<std::size_t>(n)));
}

bool InstallLock::Made() const { return state_ && state_->fd.Valid(); }

std::string InstallLock::Name() const { return state_ ? state_->path : std::string(); }

// Nothing refuses a lock file for good: a failure may pass (no descriptor
// free, the folder being put right), so it is tried again.
std::uint32_t InstallLock::RefusedError() const { return 0; }

// The stand-in serves one machine: its lock folder is that machine's.
bool InstallLock::GuardsShare() const { return false; }

}  // namespace vok::platform
