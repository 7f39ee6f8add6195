#include <cstdio>

#include "host.h"
#include "platform/busy_retry.h"
#include "platform/win32/busy.h"
#include "platform/win32/text.h"
#include "platform/win32/win32.h"

namespace vok::tool {

bool MoveFileReplacing(const std::string& from, const std::string& to, std::string& reason) {
  // A program that holds `to` open without sharing delete (a spreadsheet
  // program showing summary.csv) keeps it from being replaced as long as it
  // holds it; a scanner only for a moment.
  const auto move = [&] {
    return ::MoveFileExW(platform::win32::WidePath(from).c_str(),
                         platform::win32::WidePath(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  };
  const auto busy = [&] {
    return platform::win32::IsBusyFailure(to) || platform::win32::IsBusyFailure(from);
  };
  if (platform::RetryWhileBusy(move, busy)) return true;
  reason = LastFileError();
  return false;
}

std::string LastFileError() {
  const DWORD error = ::GetLastError();
  char text[512] = "";
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                        text[length - 1] == ' ' || text[length - 1] == '.')) {
    --length;
  }
  char number[32];
  std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(error));
  return length == 0 ? std::string(number) : std::string(text, length) + " (" + number + ")";
}

std::string WrittenTimeText(const std::string& gbk_path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FILETIME local{};
  SYSTEMTIME time{};
  if (!::GetFileAttributesExW(platform::win32::WidePath(gbk_path).c_str(), GetFileExInfoStandard,
                              &data) ||
      !::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !::FileTimeToSystemTime(&local, &time)) {
    return "";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond);
  return text;
}

}  // namespace vok::tool
