#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "host.h"
#include "platform/codepage.h"

namespace vok::tool {

bool MoveFileReplacing(const std::string& from, const std::string& to, std::string& reason) {
  if (::rename(platform::GbkToUtf8(from).c_str(), platform::GbkToUtf8(to).c_str()) == 0) {
    return true;
  }
  reason = LastFileError();
  return false;
}

std::string LastFileError() { return platform::Utf8ToGbk(std::strerror(errno)); }

std::string WrittenTimeText(const std::string& gbk_path) {
  struct stat st {};
  if (::stat(platform::GbkToUtf8(gbk_path).c_str(), &st) != 0) return "";
  std::tm local {};
  if (::localtime_r(&st.st_mtime, &local) == nullptr) return "";
  char text[32];
  return std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local) > 0 ? text : "";
}

}  // namespace vok::tool
