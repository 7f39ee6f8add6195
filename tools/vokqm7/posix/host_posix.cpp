#include "host.h"

#include <unistd.h>

#include "platform/codepage.h"

namespace vok::tool {

std::string ArgumentToGbk(std::string_view argument) { return platform::Utf8ToGbk(argument); }

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void WriteText(std::FILE* stream, std::string_view gbk) {
  const std::string utf8 = platform::GbkToUtf8(gbk);
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace vok::tool
