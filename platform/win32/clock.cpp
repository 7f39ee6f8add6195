#include "platform/clock.h"

#include "platform/win32/win32.h"

namespace vok::platform {

LocalTime Now() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalTime{{now.wYear, now.wMonth, now.wDay}, now.wHour, now.wMinute, now.wSecond,
                   now.wMilliseconds};
}

LocalDate Today() { return Now().date; }

}  // namespace vok::platform
