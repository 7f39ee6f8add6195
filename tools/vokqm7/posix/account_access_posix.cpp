#include "host.h"

#include <sys/stat.h>

#include "platform/codepage.h"
#include "platform/path_parts.h"

namespace vok::tool {

// The library makes its trace files for their user alone, so a file others
// may write is one somebody opened up on purpose.
bool EveryAccountMayAppend(const std::string& gbk_path) {
  const std::string folder = platform::FolderOfPath(gbk_path);
  struct stat file {};
  struct stat in {};
  return !folder.empty() && ::lstat(platform::GbkToUtf8(gbk_path).c_str(), &file) == 0 &&
         ::stat(platform::GbkToUtf8(folder).c_str(), &in) == 0 && S_ISREG(file.st_mode) &&
         (file.st_mode & S_IWOTH) != 0 && (in.st_mode & (S_IWOTH | S_IXOTH)) == (S_IWOTH | S_IXOTH);
}

}  // namespace vok::tool
