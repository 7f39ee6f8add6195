// Owners of kernel and registry handles: move-only, closed exactly once.
#pragma once

#include "platform/win32/win32.h"

#include <utility>

namespace vok::platform::win32 {

// Owns a HANDLE that CloseHandle releases. Both null and
// INVALID_HANDLE_VALUE count as "nothing owned".
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  [[nodiscard]] HANDLE get() const noexcept { return handle_; }
  [[nodiscard]] bool valid() const noexcept {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
  }
  explicit operator bool() const noexcept { return valid(); }

  [[nodiscard]] HANDLE release() noexcept { return std::exchange(handle_, nullptr); }

  void reset(HANDLE handle = nullptr) noexcept {
    HANDLE old = std::exchange(handle_, handle);
    if (old != nullptr && old != INVALID_HANDLE_VALUE) ::CloseHandle(old);
  }

  // Closes now and reports whether CloseHandle succeeded (a write may only
  // fail when its file is closed).
  [[nodiscard]] bool close() noexcept {
    HANDLE old = std::exchange(handle_, nullptr);
    if (old == nullptr || old == INVALID_HANDLE_VALUE) return true;
    return ::CloseHandle(old) != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Owns an open registry key that RegCloseKey releases.
class RegistryKey {
 public:
  RegistryKey() noexcept = default;
  explicit RegistryKey(HKEY key) noexcept : key_(key) {}
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      reset();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { reset(); }

  [[nodiscard]] HKEY get() const noexcept { return key_; }
  // For RegOpenKeyExA's out parameter: releases what is owned first.
  [[nodiscard]] HKEY* put() noexcept {
    reset();
    return &key_;
  }

  void reset() noexcept {
    if (key_ != nullptr) ::RegCloseKey(std::exchange(key_, nullptr));
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace vok::platform::win32
