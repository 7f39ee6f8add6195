#include "platform/program.h"

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
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated: try again with more room
  }
  return path;
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const std::size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::uint32_t ProcessId() { return ::GetCurrentProcessId(); }

std::uint32_t ThreadId() { return ::GetCurrentThreadId(); }

// Through the wide function: Wine's GetEnvironmentVariableA counts the
// characters of a GBK value, not its bytes, and cuts it short.
std::optional<std::string> EnvironmentValue(const char* name) {
  const std::wstring wide_name = win32::NarrowToWide(CP_ACP, name);
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD length =
        ::GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return std::nullopt;
    if (length < value.size()) {
      value.resize(length);
      return win32::WideToNarrow(CP_ACP, value);
    }
    value.resize(length);  // the size it needs, terminator included
  }
}

char PathSeparator() { return '\\'; }

void SleepMilliseconds(std::uint32_t ms) { ::Sleep(ms); }

}  // namespace vok::platform
