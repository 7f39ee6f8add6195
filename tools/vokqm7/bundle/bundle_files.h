// The files a support bundle reads and writes, so that no other account can
// point it elsewhere: nothing is read through a link, and the bundle is
// readable by its user alone.
#pragma once

#include <string>
#include <string_view>

namespace vok::tool {

// Why a file was not read.
enum class ReadRefusal {
  kNone,
  kMissing,
  kLink,        // a symbolic link or other reparse point
  kSecondName,  // a file with more than one name (a hard link)
  kNotAFile,    // a folder, a pipe, a device
  kCannotRead,
};

struct UnfollowedFile {
  ReadRefusal refusal = ReadRefusal::kNone;
  std::string owner;  // as platform::CurrentUser() names users
  std::string bytes;
};

// Reads the file at the GBK path without following a link at its last
// part (Linux: O_NOFOLLOW; Windows: FILE_FLAG_OPEN_REPARSE_POINT), and
// tells who owns what was read, from the file that was read.
UnfollowedFile ReadUnfollowed(const std::string& gbk_path);

// Whether files of `owner` are this process's user's own (Windows: the
// user's SID, or the owner the user's new files get, Administrators for
// an elevated administrator).
[[nodiscard]] bool IsOwnedByThisUser(const std::string& owner);

// Writes `bytes` as the file at the GBK path, replacing it, readable and
// writable by this user alone (Linux: mode 0600; Windows: the default ACL
// of the user's token, which the user's own folders have, protected from
// the ACL of the folder it lands in). False when it cannot.
[[nodiscard]] bool WriteForThisUserAlone(const std::string& gbk_path, std::string_view bytes);

// Whether the GBK path names the same file from any current folder.
[[nodiscard]] bool IsAbsolutePath(std::string_view gbk_path);

}  // namespace vok::tool
