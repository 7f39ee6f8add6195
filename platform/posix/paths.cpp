#include "platform/posix/posix_paths.h"

#include <algorithm>
#include <cerrno>

#include "platform/posix/posix_codepage.h"

namespace vok::platform::posix {

std::optional<std::string> ToSystemPath(std::string_view gbkPath) {
  if (gbkPath.find('\0') != std::string_view::npos) {
    errno = EINVAL;
    return std::nullopt;
  }
  // Convert first: a GBK trail byte may be 0x5C, which is part of a
  // character there, not a separator. UTF-8 never has 0x5C inside a
  // multi-byte character.
  std::optional<std::string> path = GbkToUtf8Strict(gbkPath);
  if (!path) return std::nullopt;
  std::replace(path->begin(), path->end(), '\\', '/');
  return path;
}

}  // namespace vok::platform::posix
