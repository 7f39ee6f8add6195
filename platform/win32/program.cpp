#include "platform/program.h"

#include "platform/path_parts.h"
#include "platform/win32/host_wait.h"
#include "platform/win32/text.h"
#include "platform/win32/win32.h"

#include <string_view>

namespace vok::platform {

std::string CommandLineTail(int, char**) {
  // argv has been split and unquoted by the C runtime; the tools need the
  // line exactly as their caller wrote it.
  const char* line = ::GetCommandLineA();
  if (line == nullptr) return {};
  std::string_view text(line);
  std::size_t pos = 0;
  if (!text.empty() && text[0] == '"') {
    const std::size_t close = text.find('"', 1);
    pos = close == std::string_view::npos ? text.size() : close + 1;
  } else {
    pos = text.find_first_of(" \t");
    if (pos == std::string_view::npos) pos = text.size();
  }
  if (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  return std::string(text.substr(pos));
}

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated: try again with more room
  }
  return win32::NarrowWithoutLoss(path).value_or(std::string());
}

std::string ExecutableFolder() { return FolderOfPath(ExecutablePath()); }

std::uint32_t ProcessId() { return ::GetCurrentProcessId(); }

std::uint32_t ThreadId() { return ::GetCurrentThreadId(); }

// Through the wide function: Wine's GetEnvironmentVariableA counts the
// characters of a GBK value, not its bytes, and cuts it short. A value with
// a character the ANSI code page lacks is no value: a "?" in a path would
// name another file.
std::optional<std::string> EnvironmentValue(const char* name) {
  const std::wstring wide_name = win32::NarrowToWide(win32::kGbkCodePage, name);
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD length =
        ::GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return std::nullopt;
    if (length < value.size()) {
      value.resize(length);
      return win32::NarrowWithoutLoss(value);
    }
    value.resize(length);  // the size it needs, terminator included
  }
}

char PathSeparator() { return '\\'; }

// A GUI host's thread keeps answering what others send it meanwhile.
void SleepMilliseconds(std::uint32_t ms) { win32::WaitServingSentMessages(nullptr, ms); }

}  // namespace vok::platform
