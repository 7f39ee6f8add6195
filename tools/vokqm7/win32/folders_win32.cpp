#include "host.h"

#include <cctype>
#include <memory>

#include "platform/win32/text.h"
#include "platform/win32/win32.h"
#include "platform/win32/unique_handle.h"

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

std::optional<std::uint64_t> FreeBytes(const std::string& gbk_folder) {
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(platform::win32::WidePath(gbk_folder).c_str(), &available, nullptr,
                             nullptr)) {
    return std::nullopt;
  }
  return available.QuadPart;
}

std::optional<std::vector<std::string>> FilesInFolder(const std::string& gbk) {
  std::wstring pattern = platform::win32::WidePath(gbk);
  if (pattern.empty()) return std::nullopt;
  if (!IsSeparator(pattern.back())) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  const platform::win32::FindHandle search(::FindFirstFileW(pattern.c_str(), &found));
  if (!search) return std::nullopt;
  std::vector<std::string> names;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (std::optional<std::string> narrow = platform::win32::NarrowWithoutLoss(name)) {
      names.push_back(std::move(*narrow));
    }
  } while (::FindNextFileW(search.get(), &found));
  return names;
}

// platform/win32/files.cpp has GetTempFileNameW make it, with the prefix
// "vok": up to four hex digits after it. Such a name is ASCII throughout.
bool IsReplacementTemporary(const std::string& name, const std::string&) {
  if (name.size() < 8 || name.size() > 11) return false;
  std::string folded;
  for (const char c : name) folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t at = 3; at + 4 < folded.size(); ++at) {
    if (!std::isxdigit(static_cast<unsigned char>(folded[at]))) return false;
  }
  return folded.compare(0, 3, "vok") == 0 && folded.compare(folded.size() - 4, 4, ".tmp") == 0;
}

}  // namespace vok::tool
