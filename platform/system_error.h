// A failed platform call as a value: what it was doing and the system's own
// code for why, taken at the point of failure (errno on POSIX, the thread's
// last error on Windows) before anything else can overwrite it. The trace
// carries the code; only the exports turn a failure into -1 and a message.
#pragma once

#include <cstdint>
#include <optional>

namespace vok::platform {

struct SystemError {
  const char* operation = "";  // "copy", "delete", "write", "start", ...
  std::uint32_t code = 0;
};

// The calling thread's last system error code now.
[[nodiscard]] std::uint32_t LastSystemErrorCode();

// The outcome of a platform call that gives nothing else back: success, or
// the error it failed with. Tests true on success.
class Status {
 public:
  Status() = default;
  // NOLINTNEXTLINE(google-explicit-constructor): a failed call returns its error
  Status(SystemError error) : error_(error) {}

  // The failure of `operation` with the calling thread's last error.
  static Status Failed(const char* operation) {
    return SystemError{operation, LastSystemErrorCode()};
  }
  // The failure of `operation` with `code`, for a failure the caller saw
  // itself.
  static Status Failed(const char* operation, std::uint32_t code) {
    return SystemError{operation, code};
  }
  // Success when `ok`, else Failed(`operation`).
  static Status Of(bool ok, const char* operation) { return ok ? Status() : Failed(operation); }

  [[nodiscard]] bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  // The error; only after a failure.
  [[nodiscard]] const SystemError& error() const { return *error_; }
  [[nodiscard]] std::uint32_t code() const { return error_ ? error_->code : 0; }

 private:
  std::optional<SystemError> error_;
};

}  // namespace vok::platform
