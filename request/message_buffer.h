// The caller's message buffer: receives one zero-terminated GBK message on
// failure and is left untouched on success. No size comes with it; every
// message the library writes fits in 52 bytes.
#pragma once

namespace vok {

class MessageBuffer {
 public:
  explicit MessageBuffer(char* buffer) : buffer_(buffer) {}

  // Copies `message` and its terminating zero byte to the start of the
  // buffer; bytes after it are not touched. A null buffer is skipped.
  void Set(const char* message) noexcept;

  // The message last set, or null.
  [[nodiscard]] const char* last() const noexcept { return last_; }

 private:
  char* buffer_;
  const char* last_ = nullptr;
};

}  // namespace vok
