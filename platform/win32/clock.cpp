#include "platform/clock.h"

#include "platform/win32/win32.h"

namespace vok::platform {

LocalDate Today() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalDate{now.wYear, now.wMonth, now.wDay};
}

}  // namespace vok::platform
