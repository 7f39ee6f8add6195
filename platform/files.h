// File operations on narrow (GBK) paths.
//
// Paths are passed exactly as the library builds them, with backslashes as
// separators; the platform layer maps them onto the file system it runs on.
//
// Deleting, copying, reading and replacing retry for about a second while
// the file is busy (a sharing or lock violation: a virus scanner, an indexer
// or a viewer that has it open), then fail (platform/busy_retry.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace vok::platform {

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;

// Removes a file. Fails when nothing was removed (missing, locked, a
// folder); callers that delete "silently" ignore the result. Windows: the
// file is renamed aside first, so that its name is free at once even when
// another program's handle keeps it "delete pending"; and a virtualized
// folder may still show a file of that name after a delete that succeeded
// (the real one the deleted copy hid): whoever relies on the name being
// free looks again.
Status DeleteFile(const std::string& path);

// Copies `from` to `to`, replacing an existing target.
[[nodiscard]] Status CopyFile(const std::string& from, const std::string& to);

// True when any file system entry (file or folder) has this name.
[[nodiscard]] bool PathExists(const std::string& path);

// The entry's attribute bits, Windows style (read-only 0x1, folder 0x10,
// normal 0x80, ...), or nothing when they cannot be read.
[[nodiscard]] std::optional<std::uint32_t> GetFileAttributes(const std::string& path);

// Sets the attributes to "normal": writable, no other bits.
Status SetFileAttributesNormal(const std::string& path);

// Makes a file read-only (used by tests and tools to prepare fixtures).
bool SetFileReadOnly(const std::string& path);

// Creates or truncates `path` and writes `bytes` in one write; fails when
// the file cannot be created, written or closed. A failed write may leave
// a partial file behind.
[[nodiscard]] Status WriteWholeFile(const std::string& path, std::string_view bytes);

// Writes `bytes` to `path` so that readers see either the old file or the
// complete new one: a temporary file in the same folder is written first and
// then moved over `path`. On failure the temporary file is removed and any
// previous file at `path` is left as it was.
[[nodiscard]] Status ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; nothing when it cannot be opened or read. Others may
// write, move or delete it meanwhile (Windows: the read shares all three),
// so what is read of a file being written may end anywhere.
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& path);

// What tells one version of a file from another without reading it: its
// size, its last-write time and its identity on the volume (Windows: volume
// serial number and file index; POSIX: device and inode).
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t last_write = 0;  // in the system's own units
  std::uint64_t volume = 0;
  std::uint64_t index = 0;

  bool operator==(const FileStamp& other) const {
    return size == other.size && last_write == other.last_write && volume == other.volume &&
           index == other.index;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Whether two stamps are of one file, whatever paths named it.
inline bool IsSameFile(const FileStamp& stamp, const std::optional<FileStamp>& other) {
  return other && stamp.volume == other->volume && stamp.index == other->index;
}

// Whether `folder` is on a network drive (Windows: a mapped letter or a
// UNC path; POSIX: an NFS or SMB mount).
[[nodiscard]] bool IsOnNetworkDrive(const std::string& folder);

// The time the file system that keeps `folder` (a file server's, for a
// share) gives a file written there now, in FileStamp::last_write's units:
// a file of its own is made in the folder, read and removed again (on
// Windows removed by the system even when the caller dies). Nothing when no
// file can be made there.
[[nodiscard]] std::optional<std::uint64_t> FileSystemNow(const std::string& folder);

// `seconds` in FileStamp::last_write's units.
[[nodiscard]] std::uint64_t FileTimeSpan(std::uint32_t seconds);

// The moment `secondsBack` seconds before now by this machine's clock, in
// the units of FileStamp::last_write, to set a file's last-write time
// against.
[[nodiscard]] std::uint64_t FileTimeNow(std::uint32_t secondsBack = 0);

// Sets the file's last-write time (FileStamp's units); false when it cannot.
// For the tests and their stand-in tools, which make files look old.
bool SetLastWriteTime(const std::string& path, std::uint64_t last_write);

// The stamp of the file at `path`; nothing when there is no such file
// (folders included) or it cannot be asked, even while another program
// holds it open.
[[nodiscard]] std::optional<FileStamp> StampOf(const std::string& path);

enum class FileUse {
  kFree,           // nobody keeps it from being deleted or replaced
  kOpenElsewhere,  // a process has it open without letting others delete it
  kUnknown,        // the system cannot tell (POSIX), or no such file
};

// Whether another process has the file open in a way that makes deleting
// or replacing it fail, as far as the system can tell.
[[nodiscard]] FileUse ProbeFileUse(const std::string& path);

}  // namespace vok::platform
