#include "platform/win32/host_wait.h"

namespace vok::platform::win32 {

DWORD WaitServingSentMessages(HANDLE object, DWORD limitMs) {
  const DWORD count = object != nullptr ? 1 : 0;
  if (!::IsGUIThread(FALSE)) {
    if (count != 0) return ::WaitForSingleObject(object, limitMs);
    ::Sleep(limitMs);
    return WAIT_TIMEOUT;
  }
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    DWORD left = INFINITE;
    if (limitMs != INFINITE) {
      const ULONGLONG spent = ::GetTickCount64() - start;
      left = spent >= limitMs ? 0 : static_cast<DWORD>(limitMs - spent);
    }
    // Messages sent before the wait began would not wake it: served first.
    MSG unused;
    ::PeekMessageW(&unused, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    const DWORD result = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? &object : nullptr,
                                                       left, QS_SENDMESSAGE, 0);
    if (result != WAIT_OBJECT_0 + count) return result;
    // PeekMessage calls the window procedures of the sent messages itself;
    // PM_NOREMOVE with PM_QS_SENDMESSAGE takes nothing off the posted queue.
    ::PeekMessageW(&unused, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace vok::platform::win32
