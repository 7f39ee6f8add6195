// One owner for every kind of system resource the platform layers and the
// tool hold: a handle, a registry key, a search, memory the system
// allocated, a descriptor, a folder listing, a C stream. What closes a kind
// is its traits type:
//
//   struct Traits {
//     using Handle = ...;                        // the raw value
//     static Handle Invalid() noexcept;          // what owns nothing
//     static bool IsValid(Handle) noexcept;      // may know more than one
//                                                // "nothing" value
//     static void Release(Handle) noexcept;      // frees it, leaving the
//                                                // thread's last error as it was
//     static bool Close(Handle) noexcept;        // frees it and says whether
//                                                // the system reported success
//   };
//
// Move-only; the destructor releases what is owned, so that an error
// captured before the owner goes out of scope survives it.
#pragma once

#include <utility>

namespace vok::platform {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() noexcept = default;
  explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] bool valid() const noexcept { return Traits::IsValid(handle_); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without freeing.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  // Frees what is owned (keeping the last error) and owns `handle` instead.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Release(old);
  }

  // Frees what is owned now and says whether that succeeded (a write may
  // fail only when its file is closed).
  [[nodiscard]] bool close() noexcept {
    const Handle old = release();
    return !Traits::IsValid(old) || Traits::Close(old);
  }

  // For a function that hands the resource back through a pointer: frees
  // what is owned first.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

}  // namespace vok::platform
