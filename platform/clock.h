// The local calendar date and time.
#pragma once

namespace vok::platform {

struct LocalDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

// Today's date in the local time zone.
LocalDate Today();

struct LocalTime {
  LocalDate date;
  int hour;         // 0..23
  int minute;       // 0..59
  int second;       // 0..60
  int millisecond;  // 0..999
};

// The local time now, to the millisecond.
LocalTime Now();

}  // namespace vok::platform
