#include "host.h"

#include "platform/win32/win32.h"

#include <io.h>

#include "platform/codepage.h"

namespace vok::tool {
namespace {

HANDLE ConsoleOf(std::FILE* stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

}  // namespace

std::string ArgumentToGbk(std::string_view argument) { return std::string(argument); }

bool IsTerminal(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

void WriteText(std::FILE* stream, std::string_view gbk) {
  HANDLE console = ConsoleOf(stream);
  if (console == nullptr) {
    std::fwrite(gbk.data(), 1, gbk.size(), stream);
    return;
  }
  // Through UTF-16 the console shows the text whatever its code page is.
  std::fflush(stream);
  const std::u16string wide = platform::GbkToUtf16(gbk);
  DWORD written = 0;
  ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

std::string DefaultTraceFile() {
  char base[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("LOCALAPPDATA", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  const std::string folder = std::string(base, length) + "\\VOKQM7";
  if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return {};
  }
  return folder + "\\trace.log";
}

std::string AbsolutePath(const std::string& gbk) {
  char full[MAX_PATH * 4];
  const DWORD length = ::GetFullPathNameA(gbk.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return gbk;
  return std::string(full, length);
}

}  // namespace vok::tool
