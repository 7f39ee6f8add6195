// When a Windows process started, as the system stamps it: the identity
// that, with its id, no later process shares.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

namespace vok::platform::win32 {

// The creation time of `process` (FILETIME units); 0 when it cannot be read.
inline std::uint64_t CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace vok::platform::win32
