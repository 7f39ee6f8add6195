#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "bundle/bundle_files.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"

namespace vok::tool {
namespace {

using platform::posix::UniqueFd;

// Past the trace's cap with room to spare; a file larger is no trace.
constexpr std::size_t kReadLimit = std::size_t{256} << 20;

}  // namespace

UnfollowedFile ReadUnfollowed(const std::string& gbk_path) {
  UnfollowedFile file;
  const std::optional<std::string> path = platform::posix::ToSystemPath(gbk_path);
  if (!path) {
    file.refusal = ReadRefusal::kCannotRead;
    return file;
  }
  // Not blocking: a pipe with no writer must not hold the bundle.
  UniqueFd fd(::open(path->c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) {
    file.refusal = errno == ELOOP    ? ReadRefusal::kLink
                   : errno == ENOENT ? ReadRefusal::kMissing
                                     : ReadRefusal::kCannotRead;
    return file;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    file.refusal = ReadRefusal::kCannotRead;
    return file;
  }
  file.owner = std::to_string(st.st_uid);
  if (!S_ISREG(st.st_mode)) {
    file.refusal = ReadRefusal::kNotAFile;
    return file;
  }
  if (st.st_nlink > 1) {
    file.refusal = ReadRefusal::kSecondName;
    return file;
  }
  std::optional<std::string> bytes = platform::posix::ReadAll(fd.get(), kReadLimit);
  if (!bytes || bytes->size() > kReadLimit) {
    file.refusal = ReadRefusal::kCannotRead;
    return file;
  }
  file.bytes = std::move(*bytes);
  return file;
}

bool IsOwnedByThisUser(const std::string& owner) { return owner == std::to_string(::geteuid()); }

bool WriteForThisUserAlone(const std::string& gbk_path, std::string_view bytes) {
  const std::optional<std::string> path = platform::posix::ToSystemPath(gbk_path);
  if (!path) return false;
  // mkstemp makes it 0600 whatever the umask; the move then replaces a
  // link at the path, never what it points to.
  std::string temporary = *path + ".tmp.XXXXXX";
  UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.valid()) return false;
  const bool written = ::fchmod(fd.get(), S_IRUSR | S_IWUSR) == 0 &&
                       platform::posix::WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 &&
                       fd.close();
  if (!written || ::rename(temporary.c_str(), path->c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool IsAbsolutePath(std::string_view gbk_path) {
  return !gbk_path.empty() && (gbk_path[0] == '/' || gbk_path[0] == '\\');
}

}  // namespace vok::tool
