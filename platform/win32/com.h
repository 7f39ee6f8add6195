// Owners of COM interface pointers, BSTRs and VARIANTs.
#pragma once

#include "platform/win32/win32.h"

#include <oleauto.h>

#include <new>
#include <string_view>
#include <utility>

namespace vok::platform::win32 {

// Holds one reference to a COM interface; released when the owner goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  [[nodiscard]] T* get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  // For out parameters: releases what is owned, then lends the slot.
  [[nodiscard]] T** put() noexcept {
    reset();
    return &ptr_;
  }
  [[nodiscard]] void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  void reset() noexcept {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }

 private:
  T* ptr_ = nullptr;
};

// Owns a BSTR (SysFreeString).
class Bstr {
 public:
  Bstr() noexcept = default;
  // Copies `text`; throws std::bad_alloc when the system has no memory.
  explicit Bstr(std::wstring_view text) {
    if (text.size() > 0x7FFFFFF0u) throw std::bad_alloc();
    bstr_ = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (bstr_ == nullptr) throw std::bad_alloc();
  }
  Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      reset();
      bstr_ = std::exchange(other.bstr_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { reset(); }

  [[nodiscard]] BSTR get() const noexcept { return bstr_; }
  [[nodiscard]] BSTR* put() noexcept {
    reset();
    return &bstr_;
  }
  [[nodiscard]] BSTR release() noexcept { return std::exchange(bstr_, nullptr); }
  // A null BSTR is the empty text.
  [[nodiscard]] std::wstring_view view() const noexcept {
    return bstr_ == nullptr ? std::wstring_view() : std::wstring_view(bstr_, ::SysStringLen(bstr_));
  }

  void reset() noexcept {
    if (bstr_ != nullptr) ::SysFreeString(std::exchange(bstr_, nullptr));
  }

 private:
  BSTR bstr_ = nullptr;
};

// Owns a VARIANT (VariantClear).
class Variant {
 public:
  Variant() noexcept { ::VariantInit(&value_); }
  // A VT_BSTR variant that takes over `text`.
  explicit Variant(Bstr text) noexcept : Variant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = text.release();
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&value_); }

  [[nodiscard]] const VARIANT& get() const noexcept { return value_; }

 private:
  VARIANT value_;
};

}  // namespace vok::platform::win32
