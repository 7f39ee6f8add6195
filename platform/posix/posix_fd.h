// The POSIX kinds of ScopedHandle (platform/scoped_handle.h), and whole-
// buffer I/O shared by the POSIX platform files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <dirent.h>
#include <optional>
#include <string>
#include <string_view>

#include "platform/scoped_handle.h"

namespace vok::platform::posix {

// A file descriptor.
struct FdTraits {
  using Handle = int;
  static Handle Invalid() noexcept { return -1; }
  static bool IsValid(Handle fd) noexcept { return fd >= 0; }
  static bool Close(Handle fd) noexcept;
  static void Release(Handle fd) noexcept;
};

// A folder listing (opendir).
struct FolderListingTraits {
  using Handle = DIR*;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle dir) noexcept { return dir != nullptr; }
  static bool Close(Handle dir) noexcept;
  static void Release(Handle dir) noexcept;
};

// A C stream (fopen).
struct StreamTraits {
  using Handle = std::FILE*;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle file) noexcept { return file != nullptr; }
  static bool Close(Handle file) noexcept;
  static void Release(Handle file) noexcept;
};

using UniqueFd = ScopedHandle<FdTraits>;
using FolderListing = ScopedHandle<FolderListingTraits>;
using UniqueStream = ScopedHandle<StreamTraits>;

// Writes all of `bytes`, retrying short writes and EINTR.
bool WriteAll(int fd, std::string_view bytes);

// Reads until end of file, or until more than `limit` bytes have been read
// (then the result holds limit + 1 bytes so the caller can tell).
std::optional<std::string> ReadAll(int fd, std::size_t limit);

}  // namespace vok::platform::posix
