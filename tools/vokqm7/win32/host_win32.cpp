#include "host.h"

#include "platform/win32/win32.h"

#include <io.h>

#include "language/language.h"
#include "platform/codepage.h"
#include "platform/path_parts.h"
#include "platform/program.h"
#include "platform/win32/text.h"

namespace vok::tool {
namespace {

HANDLE ConsoleOf(std::FILE* stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

}  // namespace

// The arguments come in the ANSI code page; the tool's texts are GBK
// whatever it is (platform/codepage.h).
std::string ArgumentToGbk(std::string_view argument) {
  if (::GetACP() == platform::win32::kGbkCodePage) return std::string(argument);
  return platform::win32::WideToNarrow(platform::win32::kGbkCodePage,
                                       platform::win32::NarrowToWide(CP_ACP, argument));
}

bool IsTerminal(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

// A file or a pipe gets UTF-8 without a byte-order mark, or with
// --encoding gbk the GBK text as it is for the old tools that read that.
void WriteText(std::FILE* stream, std::string_view gbk) {
  HANDLE console = ConsoleOf(stream);
  if (console == nullptr) {
    if (CurrentOutputEncoding() == OutputEncoding::kGbk) {
      std::fwrite(gbk.data(), 1, gbk.size(), stream);
      return;
    }
    const std::string utf8 = platform::win32::WideToNarrow(
        CP_UTF8, platform::win32::NarrowToWide(platform::win32::kGbkCodePage, gbk));
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    return;
  }
  // Through UTF-16 the console shows the text whatever its code page is.
  std::fflush(stream);
  const std::u16string wide = platform::GbkToUtf16(gbk);
  DWORD written = 0;
  ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

Language HostLanguage() { return LanguageOfLangId(::GetUserDefaultUILanguage()); }

// The environment through the wide functions, as the library reads it.
std::string DefaultTraceFile() {
  const std::optional<std::string> base = platform::EnvironmentValue("LOCALAPPDATA");
  if (!base) return {};
  const std::string folder = platform::JoinPath(*base, "VOKQM7");
  if (!::CreateDirectoryW(platform::win32::WidePath(folder).c_str(), nullptr) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return {};
  }
  return platform::JoinPath(folder, "trace.log");
}

std::string AbsolutePath(const std::string& gbk) {
  const std::wstring wide = platform::win32::WidePath(gbk);
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                    nullptr);
  if (length >= full.size()) {  // the size it needs, terminator included
    full.resize(length);
    length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                nullptr);
  }
  if (length == 0 || length >= full.size()) return gbk;
  full.resize(length);
  return platform::win32::NarrowWithoutLoss(full).value_or(gbk);
}

}  // namespace vok::tool
