#include "host.h"

#include "platform/win32/win32.h"

namespace vok::tool {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where the folders that may need making begin: past "C:\" or past the
// share of "\\server\share\".
std::size_t FirstFolder(const std::string& path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t separators = 0;
    for (std::size_t at = 2; at < path.size(); ++at) {
      if (IsSeparator(path[at]) && ++separators == 2) return at + 1;
    }
    return path.size();
  }
  if (path.size() >= 2 && path[1] == ':') return IsSeparator(path[2]) ? 3 : 2;
  return IsSeparator(path[0]) ? 1 : 0;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool MakeFolders(const std::string& gbk) {
  if (gbk.empty()) return false;
  for (std::size_t at = FirstFolder(gbk); at <= gbk.size(); ++at) {
    // A GBK trail byte may be 0x5C, the backslash: double-byte characters
    // are stepped over whole.
    if (at + 1 < gbk.size() && static_cast<unsigned char>(gbk[at]) >= 0x81) {
      ++at;
      continue;
    }
    if (at < gbk.size() && !IsSeparator(gbk[at])) continue;
    const std::string part = gbk.substr(0, at);
    if (!part.empty() && !IsSeparator(part.back()) && !IsFolder(part) &&
        !::CreateDirectoryA(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return IsFolder(gbk);
}

}  // namespace vok::tool
