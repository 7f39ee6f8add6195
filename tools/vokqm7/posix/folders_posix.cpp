#include "host.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/codepage.h"

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

}  // namespace vok::tool
