// The installation lock on POSIX: flock() on the installation folder
// itself. A lock file in a shared folder could be removed while held (by
// its owner, root or a cleaner of /tmp), and the next caller would lock a
// new file beside the first holder; the folder cannot go while the tool's
// files are in it, and a path that comes to name another folder is seen
// after each take. A descriptor of its own per lock keeps threads of one
// process apart too (flock locks belong to the open file, not to the
// process), and close-on-exec keeps it from the report tool.
//
// Records: one file per installation in this user's own folder,
// $XDG_RUNTIME_DIR/vokqm7 where the runtime folder is set and is this
// user's alone, else ~/.vokqm7 (the home folder of the password database,
// not $HOME). Never a name in a folder that other users can write, such as
// /tmp: whoever made it first could keep this user's calls out.
#include "platform/install_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <pwd.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/deadline.h"
#include "platform/faults.h"
#include "platform/install_lock_record.h"
#include "platform/install_lock_rules.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/process.h"
#include "platform/program.h"

namespace vok::platform {
namespace {

constexpr char kRecordFolderName[] = "vokqm7";
constexpr char kHomeRecordFolderName[] = ".vokqm7";
constexpr std::size_t kRecordLimit = 4096;

// Why the folder `st` describes cannot hold the records of `user`; empty
// when it can. `parent`: a folder the records' folder lies in, which the
// system's administrator may own as well.
std::string FolderProblem(const std::string& path, const struct stat& st, uid_t user,
                          bool parent = false) {
  if (S_ISLNK(st.st_mode)) return path + " is a link";
  if (!S_ISDIR(st.st_mode)) return path + " is no folder";
  if (st.st_uid != user && !(parent && st.st_uid == 0)) {
    return path + " belongs to user " + std::to_string(st.st_uid) + ", not to user " +
           std::to_string(user);
  }
  if ((st.st_mode & 022) != 0) return path + " can be written by other users";
  return {};
}

// Where this user's records live, or why there is no such place.
struct RecordFolder {
  std::string path;     // empty when there is none
  std::string problem;  // why not, in words
};

RecordFolder RecordFolderOfThisUser() {
  const uid_t me = ::geteuid();
  struct stat st {};
  // The runtime folder is this user's and cleared with each boot.
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
      runtime != nullptr && runtime[0] == '/' && ::lstat(runtime, &st) == 0 &&
      FolderProblem(runtime, st, me).empty()) {
    return {std::string(runtime) + "/" + kRecordFolderName, {}};
  }
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(me, &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return {{}, "user " + std::to_string(me) + " has no home folder to keep records in"};
  }
  const std::string home = found->pw_dir;
  if (::stat(home.c_str(), &st) != 0) {
    return {{}, "the home folder " + home + " of user " + std::to_string(me) + ": " +
                    std::strerror(errno)};
  }
  if (std::string problem = FolderProblem(home, st, me, true); !problem.empty()) {
    return {{}, problem};
  }
  return {home + "/" + kHomeRecordFolderName, {}};
}

// Why `folder` cannot hold this user's records now; empty when it can or
// when it does not exist yet.
std::string RecordFolderProblem(const RecordFolder& folder) {
  if (folder.path.empty()) return folder.problem;
  struct stat st {};
  if (::lstat(folder.path.c_str(), &st) != 0) {
    return errno == ENOENT ? std::string() : folder.path + ": " + std::strerror(errno);
  }
  return FolderProblem(folder.path, st, ::geteuid());
}

// Makes the records' folder when missing; its problem otherwise.
std::string RecordFolderReady(const RecordFolder& folder) {
  if (folder.path.empty()) return folder.problem;
  if (::mkdir(folder.path.c_str(), 0700) != 0 && errno != EEXIST) {
    return folder.path + ": " + std::strerror(errno);
  }
  return RecordFolderProblem(folder);
}

// Opens this user's record `path` when it is a plain file of one name that
// belongs to this user: to write it (made when missing) or to read it.
posix::UniqueFd OpenRecord(const std::string& path, bool write) {
  const int flags = (write ? O_RDWR | O_CREAT : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  posix::UniqueFd fd(::open(path.c_str(), flags, 0600));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_uid != ::geteuid() || st.st_nlink != 1) {
    return posix::UniqueFd();
  }
  return fd;
}

}  // namespace

struct InstallLock::State {
  std::string folder;  // the installation folder, as the system names it
  dev_t device = 0;
  ino_t inode = 0;
  posix::UniqueFd fd;  // the folder, opened to lock; invalid until it could be
  RecordFolder records;
  std::string record_name;
  posix::UniqueFd record;  // this user's record, while held and published
  bool held = false;
  bool clear_on_release = false;
  std::uint32_t failure = 0;  // the system's error of the last kFailed

  std::string MyRecord() const { return records.path + "/" + record_name; }

  ~State() {
    if (!held) return;
    // Taken back only when the holder saw its own tool end: a record that
    // names a tool that may still run stays for the next holder.
    if (clear_on_release) ::unlink(MyRecord().c_str());
    record.reset();
    ::flock(fd.get(), LOCK_UN);
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
  if (state.fd.valid()) return true;
  posix::UniqueFd fd = OpenFolder(state.folder);
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || st.st_dev != state.device ||
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
  state->records = RecordFolderOfThisUser();
  // A folder that cannot be opened now is tried again by TryAcquire.
  if (!InjectedFailure(faults::Operation::kOpenInstallLock)) FolderReady(*state);
  return InstallLock(std::move(state));
}

InstallLock::InstallLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
InstallLock::InstallLock(InstallLock&&) noexcept = default;
InstallLock& InstallLock::operator=(InstallLock&&) noexcept = default;
InstallLock::~InstallLock() = default;

namespace {

// One try without waiting, and without the fault seam's hook.
// A failure with the system's error, kept for FailureCode.
LockOutcome Failed(InstallLock::State& state, int error) {
  state.failure = static_cast<std::uint32_t>(error);
  return LockOutcome::kFailed;
}

LockOutcome TryOnce(InstallLock::State* state) {
  if (state == nullptr) return LockOutcome::kFailed;
  if (state->held) return LockOutcome::kTaken;
  if (!FolderReady(*state)) return Failed(*state, errno);
  for (;;) {
    if (::flock(state->fd.get(), LOCK_EX | LOCK_NB) == 0) break;
    if (errno == EWOULDBLOCK) return LockOutcome::kBusy;
    if (errno != EINTR) return Failed(*state, errno);
  }
  // A path that names another folder now (the installation moved, another
  // folder put in its place) is not what the caller will work in.
  if (!StillNamed(*state)) {
    ::flock(state->fd.get(), LOCK_UN);
    return Failed(*state, ESTALE);
  }
  state->held = true;
  state->clear_on_release = false;
  return LockOutcome::kTaken;
}

}  // namespace

LockOutcome InstallLock::TryAcquire() {
  if (state_ && !state_->held && InjectedFailure(faults::Operation::kTakeInstallLock)) {
    return Failed(*state_, errno);
  }
  return TryOnce(state_.get());
}

// flock() cannot wait with a limit: tries again after pauses that grow to
// 20 ms, so that a short hold costs little and a long one little CPU.
LockOutcome InstallLock::Acquire(std::uint32_t limitMs) {
  if (state_ && !state_->held && InjectedFailure(faults::Operation::kTakeInstallLock)) {
    return Failed(*state_, errno);
  }
  const Deadline deadline(limitMs);
  std::uint32_t pause_ms = 1;
  for (;;) {
    const LockOutcome outcome = TryOnce(state_.get());
    if (outcome != LockOutcome::kBusy || !deadline.Pause(pause_ms)) return outcome;
    if (pause_ms < 20) pause_ms *= 2;
  }
}

// Written over in place through one descriptor kept while held, opened only
// once it was shown to be this user's plain file of one name. One that is
// not (something another program left under its name) is removed first:
// the folder is this user's own.
Status InstallLock::Publish(const InstallLockHolder& holder) {
  if (!state_ || !state_->held) return Status::Failed("record");
  State& state = *state_;
  if (!state.record.valid()) {
    if (!RecordFolderReady(state.records).empty()) return Status::Failed("record");
    state.record = OpenRecord(state.MyRecord(), true);
    if (!state.record.valid()) {
      ::unlink(state.MyRecord().c_str());
      state.record = OpenRecord(state.MyRecord(), true);
    }
    if (!state.record.valid()) return Status::Failed("record");
  }
  const std::string record = FormatHolderRecord(holder);
  if (::pwrite(state.record.get(), record.data(), record.size(), 0) !=
          static_cast<ssize_t>(record.size()) ||
      ::ftruncate(state.record.get(), static_cast<off_t>(record.size())) != 0) {
    return Status::Failed("record");
  }
  state.clear_on_release = RecordGoesWithRelease(holder);
  return {};
}

std::optional<InstallLockHolder> InstallLock::OwnRecord() const {
  if (!state_ || state_->records.path.empty()) return std::nullopt;
  const posix::UniqueFd fd = OpenRecord(state_->MyRecord(), false);
  char bytes[kRecordLimit];
  const ssize_t n = fd.valid() ? ::pread(fd.get(), bytes, sizeof bytes, 0) : -1;
  if (n <= 0) return std::nullopt;
  return ParseHolderRecord(std::string_view(bytes, static_cast<std::size_t>(n)));
}

Status InstallLock::DropOwnRecord() {
  if (!state_ || !state_->held) return SystemError{"drop record", EPERM};
  state_->record.reset();
  return Status::Of(::unlink(state_->MyRecord().c_str()) == 0 || errno == ENOENT, "drop record");
}

std::string InstallLock::RecordPath() const {
  return state_ && !state_->records.path.empty() ? state_->MyRecord() : std::string();
}

std::uint32_t InstallLock::FailureCode() const { return state_ ? state_->failure : 0; }

bool InstallLock::Made() const { return state_ && state_->fd.valid(); }

std::optional<std::string> InstallLock::RecordProblem() const {
  std::string problem = state_ ? RecordFolderProblem(state_->records) : std::string();
  if (problem.empty()) return std::nullopt;
  return problem;
}

std::optional<bool> InstallLock::Busy() const {
  if (!state_) return std::nullopt;
  if (state_->held) return true;
  // A shared lock of a descriptor of its own: refused while anyone holds
  // the installation, and given back at once.
  const posix::UniqueFd probe = OpenFolder(state_->folder);
  if (!probe.valid()) return std::nullopt;
  if (::flock(probe.get(), LOCK_SH | LOCK_NB) == 0) return false;
  if (errno == EWOULDBLOCK) return true;
  return std::nullopt;
}

std::string InstallLock::Name() const { return state_ ? "flock " + state_->folder : std::string(); }

// Nothing refuses the folder's lock for good: a failure may pass (no
// descriptor free, the folder being put right), so it is tried again.
std::uint32_t InstallLock::RefusedError() const { return 0; }

// Every POSIX host may lock a folder it can open.
std::optional<std::string> HostRefusal() { return std::nullopt; }

// The stand-in serves one machine: its lock folder is that machine's.
bool InstallLock::GuardsShare() const { return false; }

}  // namespace vok::platform
