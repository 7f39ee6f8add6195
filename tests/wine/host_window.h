// A GUI host's window for the tests of what a call does on such a thread.
#pragma once

#include "windows_headers.h"

namespace vok::wine_test {

// A message-only window of the calling thread, whose messages `procedure`
// answers: it makes the thread a GUI host's. Null when it cannot be made.
inline HWND MakeHostWindow(WNDPROC procedure, const wchar_t* className) {
  WNDCLASSW kind{};
  kind.lpfnWndProc = procedure;
  kind.lpszClassName = className;
  RegisterClassW(&kind);
  return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                         nullptr);
}

}  // namespace vok::wine_test
