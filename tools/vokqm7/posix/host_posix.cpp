#include "host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {

std::string ArgumentToGbk(std::string_view argument) { return platform::Utf8ToGbk(argument); }

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void WriteText(std::FILE* stream, std::string_view gbk) {
  if (CurrentOutputEncoding() == OutputEncoding::kGbk) {
    std::fwrite(gbk.data(), 1, gbk.size(), stream);
    return;
  }
  const std::string utf8 = platform::GbkToUtf8(gbk);
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

Language HostLanguage() {
  return LanguageOfEnvironment(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                               std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string DefaultTraceFile() {
  std::string folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
    folder = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    folder = std::string(home) + "/.local/state";
  } else {
    return {};
  }
  folder += "/vokqm7";
  if (!MakeFolders(platform::Utf8ToGbk(folder))) return {};
  return platform::Utf8ToGbk(folder + "/trace.log");
}

std::string AbsolutePath(const std::string& gbk) {
  if (!gbk.empty() && gbk[0] == '/') return gbk;
  char here[4096];
  if (::getcwd(here, sizeof here) == nullptr) return gbk;
  return platform::Utf8ToGbk(here) + "/" + gbk;
}

}  // namespace vok::tool
