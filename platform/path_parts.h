// Taking narrow paths apart and putting them together. Narrow paths are
// GBK (on Windows the system's ANSI code page, platform/codepage.h), and
// their pieces are found by characters, never by bytes: 118 GBK
// characters end in the byte of the backslash (誠 D5 5C, 運 DF 5C, 錦 E5 5C),
// which is part of the character there, not a separator. Both hosts take
// `\` and `/` as separators.
#pragma once

#include <string>
#include <string_view>

namespace vok::platform {

// What stands before the last separator of `path` ("C:\a\b.xml" gives
// "C:\a", "C:\b.xml" gives "C:"); "" when there is none. A path whose
// bytes are no text of the code page has no separator to be found.
[[nodiscard]] std::string FolderOfPath(std::string_view path);

// What stands after the last separator of `path`: the whole path when
// there is none.
[[nodiscard]] std::string FileNameOfPath(std::string_view path);

// `name` in the folder `folder`: with the host's separator between them
// unless the folder is empty or its last character is a separator.
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace vok::platform
