// The installation lock on POSIX: flock() on the installation folder
// itself. A lock file in a shared folder could be removed while held (by
// its owner, root or a cleaner of /tmp), and the next caller would lock a
// new file beside the first holder; the folder cannot go while the tool's
// files are in it, and a path that comes to name another folder is seen
// after each take. A descriptor of its own per lock keeps threads of one
// process apart too (flock locks belong to the open file, not to the
// process), and close-on-exec keeps it from the report tool.
//
// Records: one file per installation in a folder per user,
// /tmp/vokqm7-holders-<uid>, which only that user can write and, /tmp
// being sticky, nobody else can remove. A folder of that name that another
// user made, or that others can write, is not used: the lock fails until
// someone puts it right (doctor says so). Other users' folders are read,
// and only trusted when they and the record belong to the user they name.
#include "platform/install_lock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/faults.h"
#include "platform/install_lock_record.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/process.h"
#include "platform/program.h"

namespace vok::platform {
namespace {

constexpr char kRecordParent[] = "/tmp";
constexpr char kRecordFolderPrefix[] = "vokqm7-holders-";
constexpr std::size_t kRecordLimit = 4096;

std::string RecordFolderOf(uid_t user) {
  return std::string(kRecordParent) + "/" + kRecordFolderPrefix + std::to_string(user);
}

// Why the folder `st` describes cannot hold the records of `user`; empty
// when it can.
std::string FolderProblem(const std::string& path, const struct stat& st, uid_t user) {
  if (!S_ISDIR(st.st_mode)) return path + " is no folder";
  if (st.st_uid != user) {
    return path + " belongs to user " + std::to_string(st.st_uid) + ", not to user " +
           std::to_string(user);
  }
  if ((st.st_mode & 022) != 0) return path + " can be written by other users";
  return {};
}

}  // namespace

struct InstallLock::State {
  std::string folder;  // the installation folder, as the system names it
  dev_t device = 0;
  ino_t inode = 0;
  posix::UniqueFd fd;  // the folder, opened to lock; invalid until it could be
  std::string record_name;
  posix::UniqueFd record;  // this user's record, while held and published
  bool held = false;
  bool clear_on_release = false;

  std::string MyRecord() const { return RecordFolderOf(::geteuid()) + "/" + record_name; }

  ~State() {
    if (!held) return;
    // Taken back only when the holder saw its own tool end: a record that
    // names a tool that may still run stays for the next holder.
    if (clear_on_release) ::unlink(MyRecord().c_str());
    record.Reset();
    ::flock(fd.Get(), LOCK_UN);
  }
};

namespace {

// A descriptor of the installation folder, to lock.
posix::UniqueFd OpenFolder(const std::string& folder) {
  return posix::UniqueFd(
      ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
}

// Opens the installation folder to lock it, when it still is the folder the
// lock was made for.
bool FolderReady(InstallLock::State& state) {
  if (state.fd.Valid()) return true;
  posix::UniqueFd fd = OpenFolder(state.folder);
  struct stat st {};
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || st.st_dev != state.device ||
      st.st_ino != state.inode) {
    return false;
  }
  state.fd = std::move(fd);
  return true;
}

// Whether the path still names the folder that `fd` locks.
bool StillNamed(const InstallLock::State& state) {
  struct stat st {};
  return ::stat(state.folder.c_str(), &st) == 0 && st.st_dev == state.device &&
         st.st_ino == state.inode;
}

// This user's record folder, made when missing; the reason it cannot be
// used otherwise.
std::string MyRecordFolderReady() {
  const uid_t me = ::geteuid();
  const std::string path = RecordFolderOf(me);
  if (::mkdir(path.c_str(), 0755) == 0) {
    // mkdir applied the umask; others must be able to read the records.
    if (::chmod(path.c_str(), 0755) != 0) return path + ": " + std::strerror(errno);
  } else if (errno != EEXIST) {
    return path + ": " + std::strerror(errno);
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return path + ": " + std::strerror(errno);
  if (S_ISLNK(st.st_mode)) return path + " is a link";
  return FolderProblem(path, st, me);
}

// The record in `folder`, when folder and file belong to `user`.
std::optional<InstallLockHolder> ReadRecord(const std::string& folder, uid_t user,
                                            const std::string& name) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !FolderProblem(folder, st, user).empty()) {
    return std::nullopt;
  }
  const std::string path = folder + "/" + name;
  posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_uid != user || st.st_nlink != 1) {
    return std::nullopt;
  }
  char bytes[kRecordLimit];
  const ssize_t n = ::pread(fd.Get(), bytes, sizeof bytes, 0);
  if (n <= 0) return std::nullopt;
  std::optional<InstallLockHolder> holder =
      ParseHolderRecord(std::string_view(bytes, static_cast<std::size_t>(n)));
  if (!holder) return std::nullopt;
  holder->owner = std::to_string(user);
  holder->mine = user == ::geteuid();
  return holder;
}

// The user id a record folder's name gives; nothing for other names.
std::optional<uid_t> UserOfFolderName(const char* name) {
  const std::size_t prefix = sizeof kRecordFolderPrefix - 1;
  if (std::string_view(name).substr(0, prefix) != kRecordFolderPrefix) return std::nullopt;
  const char* digits = name + prefix;
  if (*digits == '\0') return std::nullopt;
  unsigned long long user = 0;
  for (const char* at = digits; *at != '\0'; ++at) {
    if (*at < '0' || *at > '9' || user > 0xFFFFFFFFull) return std::nullopt;
    user = user * 10 + static_cast<unsigned>(*at - '0');
  }
  if (user > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<uid_t>(user);
}

}  // namespace

std::optional<InstallLock> InstallLock::ForFolder(const std::string& gbkFolder) {
  const std::optional<std::string> folder = posix::ToSystemPath(gbkFolder);
  struct stat st {};
  if (!folder || ::stat(folder->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  auto state = std::make_unique<State>();
  state->folder = *folder;
  state->device = st.st_dev;
  state->inode = st.st_ino;
  char name[64];
  std::snprintf(name, sizeof name, "%llx-%llx.holder", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  state->record_name = name;
  // A folder that cannot be opened now is tried again by TryAcquire.
  if (!InjectedFailure(testing::Operation::kOpenInstallLock)) FolderReady(*state);
  return InstallLock(std::move(state));
}

InstallLock::InstallLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
InstallLock::InstallLock(InstallLock&&) noexcept = default;
InstallLock& InstallLock::operator=(InstallLock&&) noexcept = default;
InstallLock::~InstallLock() = default;

LockOutcome InstallLock::TryAcquire() {
  if (!state_) return LockOutcome::kFailed;
  if (state_->held) return LockOutcome::kTaken;
  if (InjectedFailure(testing::Operation::kTakeInstallLock) || !FolderReady(*state_)) {
    return LockOutcome::kFailed;
  }
  for (;;) {
    if (::flock(state_->fd.Get(), LOCK_EX | LOCK_NB) == 0) break;
    if (errno == EWOULDBLOCK) return LockOutcome::kBusy;
    if (errno != EINTR) return LockOutcome::kFailed;
  }
  // A path that names another folder now (the installation moved, another
  // folder put in its place) is not what the caller will work in.
  if (!StillNamed(*state_) || !MyRecordFolderReady().empty()) {
    ::flock(state_->fd.Get(), LOCK_UN);
    return LockOutcome::kFailed;
  }
  state_->held = true;
  state_->clear_on_release = false;
  return LockOutcome::kTaken;
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

// Written over in place through one descriptor kept while held, opened only
// once it was shown to be this user's plain file of one name.
bool InstallLock::Publish(const InstallLockHolder& holder) {
  if (!state_ || !state_->held) return false;
  State& state = *state_;
  if (!state.record.Valid()) {
    posix::UniqueFd fd(::open(state.MyRecord().c_str(),
                              O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || st.st_nlink != 1 || ::fchmod(fd.Get(), 0644) != 0) {
      return false;
    }
    state.record = std::move(fd);
  }
  const std::string record = FormatHolderRecord(holder);
  if (::pwrite(state.record.Get(), record.data(), record.size(), 0) !=
          static_cast<ssize_t>(record.size()) ||
      ::ftruncate(state.record.Get(), static_cast<off_t>(record.size())) != 0) {
    return false;
  }
  state.clear_on_release = holder.tool.id == 0;
  return true;
}

std::vector<InstallLockHolder> InstallLock::Records() const {
  std::vector<InstallLockHolder> records;
  if (!state_) return records;
  DIR* parent = ::opendir(kRecordParent);
  if (parent == nullptr) return records;
  while (const dirent* entry = ::readdir(parent)) {
    const std::optional<uid_t> user = UserOfFolderName(entry->d_name);
    if (!user) continue;
    std::optional<InstallLockHolder> record =
        ReadRecord(RecordFolderOf(*user), *user, state_->record_name);
    if (record) records.push_back(std::move(*record));
  }
  ::closedir(parent);
  return records;
}

bool InstallLock::Made() const { return state_ && state_->fd.Valid(); }

std::string InstallLock::RecordProblem() const { return MyRecordFolderReady(); }

std::optional<bool> InstallLock::Busy() const {
  if (!state_) return std::nullopt;
  if (state_->held) return true;
  // A shared lock of a descriptor of its own: refused while anyone holds
  // the installation, and given back at once.
  const posix::UniqueFd probe = OpenFolder(state_->folder);
  if (!probe.Valid()) return std::nullopt;
  if (::flock(probe.Get(), LOCK_SH | LOCK_NB) == 0) return false;
  if (errno == EWOULDBLOCK) return true;
  return std::nullopt;
}

std::string InstallLock::Name() const { return state_ ? "flock " + state_->folder : std::string(); }

// Nothing refuses a lock file for good: a failure may pass (no descriptor
// free, the folder being put right), so it is tried again.
std::uint32_t InstallLock::RefusedError() const { return 0; }

// The stand-in serves one machine: its lock folder is that machine's.
bool InstallLock::GuardsShare() const { return false; }

}  // namespace vok::platform
