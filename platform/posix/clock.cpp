#include "platform/clock.h"

#include <ctime>

namespace vok::platform {

LocalTime Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  // localtime_r fails only for times far outside the calendar; the epoch
  // is a recognisable stand-in then.
  if (localtime_r(&now.tv_sec, &local) == nullptr) return LocalTime{{1970, 1, 1}, 0, 0, 0, 0};
  return LocalTime{{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(now.tv_nsec / 1000000)};
}

LocalDate Today() { return Now().date; }

}  // namespace vok::platform
