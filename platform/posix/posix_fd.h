// File descriptor ownership and whole-buffer I/O shared by the POSIX
// platform files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vok::platform::posix {

// Owns one file descriptor. Closing from the destructor keeps errno as it
// was, so a failure captured before the descriptor goes out of scope
// survives.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  [[nodiscard]] int Get() const { return fd_; }
  [[nodiscard]] bool Valid() const { return fd_ >= 0; }
  int Release();
  void Reset(int fd = -1);

  // Closes now and says whether the close succeeded (it can report a
  // delayed write error).
  bool Close();

 private:
  int fd_ = -1;
};

// Writes all of `bytes`, retrying short writes and EINTR.
bool WriteAll(int fd, std::string_view bytes);

// Reads until end of file, or until more than `limit` bytes have been read
// (then the result holds limit + 1 bytes so the caller can tell).
std::optional<std::string> ReadAll(int fd, std::size_t limit);

}  // namespace vok::platform::posix
