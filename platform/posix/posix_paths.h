// Mapping the library's narrow paths onto the file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vok::platform::posix {

// The path the operating system sees for a GBK path built the Windows way:
// UTF-8, with every backslash turned into a slash. Nothing (errno set) when
// the bytes are not valid GBK or hold a zero byte.
std::optional<std::string> ToSystemPath(std::string_view gbkPath);

}  // namespace vok::platform::posix
