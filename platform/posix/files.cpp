// File operations with the Windows semantics the library was written
// against, on POSIX calls.
#include "platform/files.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/busy_retry.h"
#include "platform/faults.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"

namespace vok::platform {

std::uint32_t LastSystemErrorCode() { return static_cast<std::uint32_t>(errno); }
namespace {

using posix::ToSystemPath;
using posix::UniqueFd;
using faults::Operation;

constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr mode_t kPermissionBits = S_IRWXU | S_IRWXG | S_IRWXO;

// Removes `path` keeping the errno of the failure that made us remove it.
void RemoveQuietly(const std::string& path) {
  const int saved = errno;
  ::unlink(path.c_str());
  errno = saved;
}

// The folder part of an OS path ("." when there is none).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool CopyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!posix::WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
  }
}

// Opens the copy target for writing. Like Windows CopyFile this refuses a
// target that is read-only, a folder, or the source itself; root would
// otherwise write through a missing write bit.
UniqueFd OpenCopyTarget(const std::string& path, const struct stat& source) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
  if (fd.valid() || errno != EEXIST) return fd;
  fd.reset(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (!fd.valid()) return fd;
  struct stat target {};
  if (::fstat(fd.get(), &target) != 0) return UniqueFd();
  if (!S_ISREG(target.st_mode) || (target.st_dev == source.st_dev && target.st_ino == source.st_ino)) {
    errno = EINVAL;
    return UniqueFd();
  }
  if ((target.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return UniqueFd();
  }
  if (::ftruncate(fd.get(), 0) != 0) return UniqueFd();
  return fd;
}

// WriteAll, unless a test has made this write fail: then only the first half
// of the bytes reaches the file, as when the disk fills up part way.
bool WriteFileBytes(int fd, std::string_view bytes) {
  if (InjectedFailure(Operation::kWriteFile)) {
    const int error = errno;
    static_cast<void>(posix::WriteAll(fd, bytes.substr(0, bytes.size() / 2)));
    errno = error;
    return false;
  }
  return posix::WriteAll(fd, bytes);
}

// A file another program keeps busy for the moment; no file system of its
// own gives these for the operations here, injected faults do.
bool IsBusy() { return errno == EBUSY || errno == ETXTBSY; }

bool DeleteFileOnce(const std::string& path) {
  if (InjectedFailure(Operation::kDeleteFile)) return false;
  if (InjectedFailure(Operation::kDeleteLeavesFile)) return true;
  const auto sys = ToSystemPath(path);
  if (!sys) return false;
  // DeleteFile refuses a read-only file; root's unlink would not.
  struct stat st {};
  if (::lstat(sys->c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return false;
  }
  // unlink refuses folders (EISDIR), as DeleteFile does.
  return ::unlink(sys->c_str()) == 0;
}

bool CopyFileOnce(const std::string& from, const std::string& to) {
  if (InjectedFailure(Operation::kCopyFile)) return false;
  const auto source = ToSystemPath(from);
  const auto target = ToSystemPath(to);
  if (!source || !target) return false;

  UniqueFd in(::open(source->c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat sourceStat {};
  if (::fstat(in.get(), &sourceStat) != 0) return false;
  if (!S_ISREG(sourceStat.st_mode)) {
    errno = EISDIR;
    return false;
  }

  UniqueFd out = OpenCopyTarget(*target, sourceStat);
  if (!out.valid()) return false;
  // The copy gets the source's permission bits, read-only included, as
  // CopyFile copies the attributes; the descriptor stays writable.
  const bool ok = CopyBytes(in.get(), out.get()) &&
                  ::fchmod(out.get(), sourceStat.st_mode & kPermissionBits) == 0 && out.close();
  if (!ok) {
    out.reset();
    // A partial copy is worse than none.
    RemoveQuietly(*target);
  }
  return ok;
}

}  // namespace

Status DeleteFile(const std::string& path) {
  return Status::Of(RetryWhileBusy([&] { return DeleteFileOnce(path); }, IsBusy), "delete");
}

Status CopyFile(const std::string& from, const std::string& to) {
  return Status::Of(RetryWhileBusy([&] { return CopyFileOnce(from, to); }, IsBusy), "copy");
}

bool PathExists(const std::string& path) {
  const auto sys = ToSystemPath(path);
  struct stat st {};
  return sys && ::lstat(sys->c_str(), &st) == 0;
}

std::optional<std::uint32_t> GetFileAttributes(const std::string& path) {
  const auto sys = ToSystemPath(path);
  struct stat st {};
  if (!sys || ::stat(sys->c_str(), &st) != 0) return std::nullopt;
  std::uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= kFileAttributeDirectory;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= kFileAttributeReadOnly;
  return attributes == 0 ? kFileAttributeNormal : attributes;
}

Status SetFileAttributesNormal(const std::string& path) {
  constexpr char kOperation[] = "make writable";
  if (InjectedFailure(Operation::kSetFileAttributesNormal)) return Status::Failed(kOperation);
  const auto sys = ToSystemPath(path);
  struct stat st {};
  if (!sys || ::stat(sys->c_str(), &st) != 0) return Status::Failed(kOperation);
  return Status::Of(::chmod(sys->c_str(), (st.st_mode & kPermissionBits) | S_IRUSR | S_IWUSR) == 0,
                    kOperation);
}

bool SetFileReadOnly(const std::string& path) {
  const auto sys = ToSystemPath(path);
  struct stat st {};
  if (!sys || ::stat(sys->c_str(), &st) != 0) return false;
  return ::chmod(sys->c_str(), st.st_mode & kPermissionBits & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

Status WriteWholeFile(const std::string& path, std::string_view bytes) {
  const auto sys = ToSystemPath(path);
  if (!sys) return Status::Failed("write");
  UniqueFd fd(::open(sys->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return Status::Of(fd.valid() && WriteFileBytes(fd.get(), bytes) && fd.close(), "write");
}

namespace {

bool ReplaceFileOnce(const std::string& path, std::string_view bytes) {
  const auto sys = ToSystemPath(path);
  if (!sys) return false;
  const std::string folder = FolderOf(*sys);

  // The new file keeps the permissions of the one it replaces; a new name
  // gets the usual rw-r--r--. A read-only file is not replaced, as Windows
  // refuses to open it for writing or to move another file over it.
  mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
  struct stat old {};
  if (::stat(sys->c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if ((old.st_mode & S_IWUSR) == 0) {
      errno = EACCES;
      return false;
    }
    mode = old.st_mode & kPermissionBits;
  }

  std::string temporary = *sys + ".tmp.XXXXXX";
  UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.valid()) return false;
  const bool written = WriteFileBytes(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 &&
                       ::fsync(fd.get()) == 0 && fd.close();
  if (!written || ::rename(temporary.c_str(), sys->c_str()) != 0) {
    fd.reset();
    RemoveQuietly(temporary);
    return false;
  }
  // Make the rename itself durable; the replacement already happened, so a
  // failure here is not reported.
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
  return true;
}

}  // namespace

Status ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  return Status::Of(RetryWhileBusy([&] { return ReplaceFileOnce(path, bytes); }, IsBusy),
                    "replace");
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const auto sys = ToSystemPath(path);
  if (!sys) return std::nullopt;
  UniqueFd fd;
  if (!RetryWhileBusy(
          [&] {
            fd.reset(::open(sys->c_str(), O_RDONLY | O_CLOEXEC));
            return fd.valid();
          },
          IsBusy)) {
    return std::nullopt;
  }
  return posix::ReadAll(fd.get(), std::string::npos - 1);
}

std::optional<FileStamp> StampOf(const std::string& path) {
  const auto sys = ToSystemPath(path);
  struct stat st {};
  if (!sys || ::stat(sys->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.last_write = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                     static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
  stamp.volume = static_cast<std::uint64_t>(st.st_dev);
  stamp.index = static_cast<std::uint64_t>(st.st_ino);
  return stamp;
}

// POSIX has no share modes: an open file never stops a delete or a rename.
FileUse ProbeFileUse(const std::string&) { return FileUse::kUnknown; }

bool SetLastWriteTime(const std::string& path, std::uint64_t last_write) {
  const std::optional<std::string> system = ToSystemPath(path);
  if (!system) return false;
  struct timespec times[2] {};
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(last_write / 1000000000u);
  times[1].tv_nsec = static_cast<long>(last_write % 1000000000u);
  return ::utimensat(AT_FDCWD, system->c_str(), times, 0) == 0;
}

bool IsOnNetworkDrive(const std::string& folder) {
  if (InjectedFailure(Operation::kFolderIsRemote)) return true;
  const auto sys = ToSystemPath(folder);
  struct statfs volume {};
  if (!sys || ::statfs(sys->c_str(), &volume) != 0) return false;
  // NFS, SMB, CIFS and SMB2, as the kernel names their file systems.
  for (const unsigned long magic : {0x6969ul, 0x517Bul, 0xFF534D42ul, 0xFE534D42ul}) {
    if (static_cast<unsigned long>(volume.f_type) == magic) return true;
  }
  return false;
}

std::optional<std::uint64_t> FileSystemNow(const std::string& folder) {
  const std::optional<std::string> path = posix::ToSystemPath(folder);
  if (!path) return std::nullopt;
  std::string name = *path + "/vokqm7.clock.XXXXXX";
  posix::UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  ::unlink(name.c_str());
  struct stat st {};
  if (!posix::WriteAll(fd.get(), "x") || ::fstat(fd.get(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
}

std::uint64_t FileTimeSpan(std::uint32_t seconds) { return static_cast<std::uint64_t>(seconds) * 1000000000u; }

std::uint64_t FileTimeNow(std::uint32_t secondsBack) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t skew = InjectedError(faults::Operation::kLocalClockSkew);
  const std::uint64_t ns = static_cast<std::uint64_t>(now.tv_sec + skew) * 1000000000u +
                           static_cast<std::uint64_t>(now.tv_nsec);
  const std::uint64_t back = static_cast<std::uint64_t>(secondsBack) * 1000000000u;
  return ns > back ? ns - back : 0;
}

}  // namespace vok::platform
