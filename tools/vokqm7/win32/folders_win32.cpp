#include "host.h"

#include "platform/win32/text.h"
#include "platform/win32/win32.h"

namespace vok::tool {
namespace {

// Wide, so that the trail byte of a GBK character is never taken for a
// backslash.
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Where the folders that may need making begin: past "C:\" or past the
// share of "\\server\share\".
std::size_t FirstFolder(const std::wstring& path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t separators = 0;
    for (std::size_t at = 2; at < path.size(); ++at) {
      if (IsSeparator(path[at]) && ++separators == 2) return at + 1;
    }
    return path.size();
  }
  if (path.size() >= 2 && path[1] == L':') return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  return IsSeparator(path[0]) ? 1 : 0;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool MakeFolders(const std::string& gbk) {
  const std::wstring path = platform::win32::WidePath(gbk);
  if (path.empty()) return false;
  for (std::size_t at = FirstFolder(path); at <= path.size(); ++at) {
    if (at < path.size() && !IsSeparator(path[at])) continue;
    const std::wstring part = path.substr(0, at);
    if (!part.empty() && !IsSeparator(part.back()) && !IsFolder(part) &&
        !::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return IsFolder(path);
}

}  // namespace vok::tool
