#include <cerrno>

#include "platform/faults.h"

namespace vok::platform {

bool InjectedFailure(faults::Operation op) {
  const int error = InjectedError(op);
  if (error == 0) return false;
  errno = error;
  return true;
}

}  // namespace vok::platform
