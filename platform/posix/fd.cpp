#include "platform/posix/posix_fd.h"

#include <cerrno>
#include <unistd.h>

namespace vok::platform::posix {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) {
    const int saved = errno;
    ::close(fd_);
    errno = saved;
  }
  fd_ = fd;
}

bool UniqueFd::Close() {
  if (fd_ < 0) return true;
  const int rc = ::close(fd_);
  fd_ = -1;
  // On Linux the descriptor is gone even when close reports EINTR.
  return rc == 0 || errno == EINTR;
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
