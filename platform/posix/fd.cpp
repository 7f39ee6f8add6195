#include "platform/posix/posix_fd.h"

#include <cerrno>
#include <unistd.h>

namespace vok::platform::posix {

// On Linux the descriptor is gone even when close reports EINTR.
bool FdTraits::Close(int fd) noexcept { return ::close(fd) == 0 || errno == EINTR; }

void FdTraits::Release(int fd) noexcept {
  const int saved = errno;
  ::close(fd);
  errno = saved;
}

bool FolderListingTraits::Close(DIR* dir) noexcept { return ::closedir(dir) == 0; }

void FolderListingTraits::Release(DIR* dir) noexcept {
  const int saved = errno;
  ::closedir(dir);
  errno = saved;
}

bool StreamTraits::Close(std::FILE* file) noexcept { return std::fclose(file) == 0; }

void StreamTraits::Release(std::FILE* file) noexcept {
  const int saved = errno;
  std::fclose(file);
  errno = saved;
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> ReadAll(int fd, std::size_t limit) {
  std::string out;
  char buffer[65536];
  while (out.size() <= limit) {
    const std::size_t room = limit - out.size();
    const std::size_t want = room >= sizeof buffer ? sizeof buffer : room + 1;
    const ssize_t n = ::read(fd, buffer, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace vok::platform::posix
