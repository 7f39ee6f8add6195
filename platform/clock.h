// The local calendar date.
#pragma once

namespace vok::platform {

struct LocalDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

// Today's date in the local time zone.
LocalDate Today();

}  // namespace vok::platform
