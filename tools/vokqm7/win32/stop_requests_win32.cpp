// Windows: the console's Ctrl-C event is taken by a handler of our own. A
// Ctrl-C typed on the console goes to every process attached to it, the
// report tool among them, which it would end in the middle of its run: while
// the batch runs, the console reads Ctrl-C as a key (its input is not
// "processed"), and a thread of ours looks for that key.
#include "host.h"

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

#include <atomic>
#include <thread>

namespace vok::tool {
namespace {

constexpr DWORD kPollMs = 200;

// The handler runs on a thread the system starts, with no object to reach.
std::atomic<bool> g_asked{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT) return FALSE;  // Ctrl-Break, closing: as always
  g_asked = true;
  return TRUE;
}

}  // namespace

struct StopRequests::Watch {
  std::atomic<bool> ending{false};
  platform::win32::UniqueHandle console;
  DWORD saved_mode = 0;
  std::thread keys;

  void TakeConsole() {
    console = platform::win32::UniqueHandle(
        ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!console || !::GetConsoleMode(console.get(), &saved_mode) ||
        !::SetConsoleMode(console.get(), saved_mode & ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT))) {
      console = platform::win32::UniqueHandle();
      return;
    }
    keys = std::thread([this] { ReadKeys(); });
  }

  void ReadKeys() {
    while (!ending) {
      if (::WaitForSingleObject(console.get(), kPollMs) != WAIT_OBJECT_0) continue;
      INPUT_RECORD records[16];
      DWORD count = 0;
      if (!::ReadConsoleInputW(console.get(), records, 16, &count)) break;
      for (DWORD i = 0; i < count; ++i) {
        const INPUT_RECORD& record = records[i];
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
            record.Event.KeyEvent.uChar.UnicodeChar == 3) {
          g_asked = true;
        }
      }
    }
  }
};

StopRequests::StopRequests() : watch_(new Watch) {
  g_asked = false;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  watch_->TakeConsole();
}

StopRequests::~StopRequests() {
  watch_->ending = true;
  if (watch_->keys.joinable()) watch_->keys.join();
  if (watch_->console) ::SetConsoleMode(watch_->console.get(), watch_->saved_mode);
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

bool StopRequests::Asked() const { return g_asked; }

}  // namespace vok::tool
