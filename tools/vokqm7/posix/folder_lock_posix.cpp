// The folder's lock on POSIX: flock() on the open lock file. Others may
// remove or replace the file meanwhile, so the file at the path is compared
// with the one held, after the lock is taken and whenever the run asks.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "batch/folder_lock.h"
#include "host.h"
#include "platform/codepage.h"
#include "platform/posix/posix_fd.h"

namespace vok::tool {

// Closing the descriptor lets the lock go.
struct LockFile::Handle {
  platform::posix::UniqueFd fd;
  dev_t device = 0;
  ino_t inode = 0;
};

namespace {

bool IsFileAt(const std::string& gbk_path, const LockFile::Handle& handle) {
  struct stat now {};
  return ::lstat(platform::GbkToUtf8(gbk_path).c_str(), &now) == 0 &&
         now.st_dev == handle.device && now.st_ino == handle.inode;
}

}  // namespace

LockFile::LockFile(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

LockFile::~LockFile() {
  if (written_ && ::ftruncate(handle_->fd.get(), 0) != 0) {
    // The next run then tells of a run that ended without letting go.
  }
}

LockTry LockFile::Try(const std::string& path, std::unique_ptr<LockFile>& held,
                      std::string& found, std::string& reason) {
  const std::string system = platform::GbkToUtf8(path);
  auto handle = std::make_unique<Handle>();
  // Every desk's user takes the same file; one who may not write it still
  // locks it, read-only.
  handle->fd.reset(::open(system.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!handle->fd && errno == EACCES) {
    handle->fd.reset(::open(system.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  }
  struct stat st {};
  if (!handle->fd || ::fstat(handle->fd.get(), &st) != 0) {
    reason = LastFileError();
    return LockTry::kFailed;
  }
  if (!S_ISREG(st.st_mode)) {
    errno = EISDIR;
    reason = LastFileError();
    return LockTry::kFailed;
  }
  if (st.st_uid == ::geteuid() && (st.st_mode & 0666) != 0666) {
    (void)::fchmod(handle->fd.get(), 0666);
  }
  handle->device = st.st_dev;
  handle->inode = st.st_ino;
  if (::flock(handle->fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK || errno == EINTR) return LockTry::kHeld;
    reason = LastFileError();
    return LockTry::kFailed;
  }
  // Removed or replaced between the open and the lock: another run may
  // hold the file that has the name now.
  if (!IsFileAt(path, *handle)) return LockTry::kHeld;
  char buffer[4096];
  const ssize_t read = ::pread(handle->fd.get(), buffer, sizeof buffer, 0);
  found.assign(buffer, read > 0 ? static_cast<std::size_t>(read) : 0);
  held.reset(new LockFile(std::move(handle)));
  return LockTry::kTaken;
}

bool LockFile::Write(std::string_view text) {
  if (::ftruncate(handle_->fd.get(), 0) != 0 ||
      ::pwrite(handle_->fd.get(), text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
    return false;
  }
  written_ = true;
  return true;
}

bool LockFile::StillAt(const std::string& path) const { return IsFileAt(path, *handle_); }

std::string DeskName() {
  char name[256] = "";
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return platform::Utf8ToGbk(name);
}

std::string UserName() {
  const passwd* user = ::getpwuid(::geteuid());
  return user != nullptr ? platform::Utf8ToGbk(user->pw_name) : std::to_string(::geteuid());
}

}  // namespace vok::tool
