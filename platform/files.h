// File operations on narrow (GBK) paths.
//
// Paths are passed exactly as the library builds them, with backslashes as
// separators; the platform layer maps them onto the file system it runs on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vok::platform {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

// Removes a file. Returns false when nothing was removed (missing, locked,
// a folder); callers that delete "silently" ignore the result.
bool DeleteFile(const std::string& path);

// Copies `from` to `to`, replacing an existing target. False on any failure.
[[nodiscard]] bool CopyFile(const std::string& from, const std::string& to);

// True when any file system entry (file or folder) has this name.
[[nodiscard]] bool PathExists(const std::string& path);

// The entry's attribute bits, Windows style (read-only 0x1, folder 0x10,
// normal 0x80, ...), or nothing when they cannot be read.
[[nodiscard]] std::optional<std::uint32_t> GetFileAttributes(const std::string& path);

// Sets the attributes to "normal": writable, no other bits.
bool SetFileAttributesNormal(const std::string& path);

// Makes a file read-only (used by tests and tools to prepare fixtures).
bool SetFileReadOnly(const std::string& path);

// Creates or truncates `path` and writes `bytes` in one write; false when
// the file cannot be created, written or closed. A failed write may leave
// a partial file behind.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::string_view bytes);

// Writes `bytes` to `path` so that readers see either the old file or the
// complete new one: a temporary file in the same folder is written first and
// then moved over `path`. On failure the temporary file is removed and any
// previous file at `path` is left as it was.
[[nodiscard]] bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; nothing when it cannot be opened or read.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace vok::platform
