#include "interface/report_date.h"

#include <cstdio>
#include <cstdlib>

namespace vok {
namespace {

bool IsLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Years are written with at least four digits; a year before 1 (only
// reachable through odd input) keeps its minus sign in front.
std::string FormatDate(std::int64_t year, int month, int day) {
  char text[48];
  std::snprintf(text, sizeof text, "%s%04lld-%02d-%02d", year < 0 ? "-" : "",
                static_cast<long long>(std::llabs(year)), month, day);
  return text;
}

}  // namespace

std::string ComputeReportDate(std::int32_t year, std::int32_t period,
                              const platform::LocalDate& today) {
  if (year == today.year && period == today.month) {
    return FormatDate(today.year, today.month, today.day);
  }
  // "The day before the first of the next month" is the last day of month
  // `period`. A period outside 1..12 is carried into the year the way the
  // calendar would carry it: period 13 of 2007 is January 2008, period 0 is
  // December of the year before. 64-bit arithmetic keeps every 32-bit input
  // in range.
  std::int64_t months = static_cast<std::int64_t>(year) * 12 + (static_cast<std::int64_t>(period) - 1);
  std::int64_t normalised_year = months / 12;
  std::int64_t month_index = months % 12;
  if (month_index < 0) {
    month_index += 12;
    normalised_year -= 1;
  }
  const int month = static_cast<int>(month_index) + 1;
  return FormatDate(normalised_year, month, DaysInMonth(normalised_year, month));
}

std::string ComputeReportDate(std::int32_t year, std::int32_t period) {
  return ComputeReportDate(year, period, platform::Today());
}

}  // namespace vok
