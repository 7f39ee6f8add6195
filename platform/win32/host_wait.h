// Waiting on the caller's thread without freezing its host.
#pragma once

#include "platform/win32/win32.h"

namespace vok::platform::win32 {

// WaitForSingleObject(object, limitMs), with the same results, except that
// a thread with a message queue (a GUI host's) keeps answering messages
// that other threads and programs send it while it waits: a program that
// broadcasts (DDE, a setting change) would otherwise hang until the wait
// ends. Only sent messages are served; posted ones, keystrokes and clicks
// among them, stay queued for the host, so no window of the host acts on
// input in the middle of a call. Without an object (nullptr) it is a pause
// of `limitMs` that ends with WAIT_TIMEOUT.
DWORD WaitServingSentMessages(HANDLE object, DWORD limitMs);

}  // namespace vok::platform::win32
