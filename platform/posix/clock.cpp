#include "platform/clock.h"

#include <ctime>

namespace vok::platform {

LocalDate Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  // localtime_r fails only for times far outside the calendar; the epoch
  // is a recognisable stand-in then.
  if (localtime_r(&now, &local) == nullptr) return LocalDate{1970, 1, 1};
  return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace vok::platform
