#include "host.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <memory>

#include "platform/codepage.h"
#include "platform/posix/posix_fd.h"

namespace vok::tool {

bool MakeFolders(const std::string& gbk) {
  const std::string folder = platform::GbkToUtf8(gbk);
  if (folder.empty()) return false;
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat made {};
  return ::stat(folder.c_str(), &made) == 0 && S_ISDIR(made.st_mode);
}

std::optional<std::uint64_t> FreeBytes(const std::string& gbk_folder) {
  struct statvfs volume {};
  if (::statvfs(platform::GbkToUtf8(gbk_folder).c_str(), &volume) != 0) return std::nullopt;
  return std::uint64_t{volume.f_bavail} * volume.f_frsize;
}

std::optional<std::vector<std::string>> FilesInFolder(const std::string& gbk) {
  const platform::posix::FolderListing folder(::opendir(platform::GbkToUtf8(gbk).c_str()));
  if (!folder) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string converted = platform::Utf8ToGbk(name);
    if (platform::GbkToUtf8(converted) == name) names.push_back(converted);
  }
  return names;
}

// platform/posix/files.cpp names it after its target, with mkostemp's six
// characters.
bool IsReplacementTemporary(const std::string& name, const std::string& target) {
  const std::string prefix = target + ".tmp.";
  return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace vok::tool
