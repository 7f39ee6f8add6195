// The Windows kinds of ScopedHandle (platform/scoped_handle.h).
#pragma once

#include "platform/scoped_handle.h"
#include "platform/win32/win32.h"

namespace vok::platform::win32 {

// Kernel objects: files, processes, threads, jobs, mutexes, events. Both
// null and INVALID_HANDLE_VALUE count as "nothing owned".
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) noexcept { return ::CloseHandle(h) != FALSE; }
  static void Release(Handle h) noexcept {
    const DWORD error = ::GetLastError();
    ::CloseHandle(h);
    ::SetLastError(error);
  }
};

// An open registry key.
struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static bool Close(Handle h) noexcept { return ::RegCloseKey(h) == ERROR_SUCCESS; }
  static void Release(Handle h) noexcept {
    const DWORD error = ::GetLastError();
    ::RegCloseKey(h);
    ::SetLastError(error);
  }
};

// A FindFirstFile search.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Close(Handle h) noexcept { return ::FindClose(h) != FALSE; }
  static void Release(Handle h) noexcept {
    const DWORD error = ::GetLastError();
    ::FindClose(h);
    ::SetLastError(error);
  }
};

// Memory the system allocated for the caller to LocalFree (security
// descriptors, SID texts, FormatMessage buffers).
struct LocalMemoryTraits {
  using Handle = void*;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static bool Close(Handle h) noexcept { return ::LocalFree(h) == nullptr; }
  static void Release(Handle h) noexcept {
    const DWORD error = ::GetLastError();
    ::LocalFree(h);
    ::SetLastError(error);
  }
};

using UniqueHandle = ScopedHandle<KernelHandleTraits>;
using RegistryKey = ScopedHandle<RegistryKeyTraits>;
using FindHandle = ScopedHandle<FindHandleTraits>;
using LocalMemory = ScopedHandle<LocalMemoryTraits>;

}  // namespace vok::platform::win32
