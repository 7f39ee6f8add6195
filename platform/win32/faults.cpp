#include "platform/faults.h"
#include "platform/win32/win32.h"

namespace vok::platform {

bool InjectedFailure(faults::Operation op) {
  const int error = InjectedError(op);
  if (error == 0) return false;
  ::SetLastError(static_cast<DWORD>(error));
  return true;
}

}  // namespace vok::platform
