#include "request/text_rules.h"

#include <cstdio>
#include <limits>

namespace vok {

std::int32_t ParseLeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate as a negative number so that INT32_MIN is reachable, and stop
  // growing once past the limit: the digits after that cannot bring it back.
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value >= kMin) value = value * 10 - (text[i] - '0');
  }
  if (value < kMin) value = kMin;
  if (!negative) {
    return value < -std::numeric_limits<std::int32_t>::max()
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(-value);
  }
  return static_cast<std::int32_t>(value);
}

std::string_view TrimAsciiSpace(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && IsAsciiSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string FormatLocalTime(const platform::LocalTime& time) {
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.date.year,
                time.date.month, time.date.day, time.hour, time.minute, time.second,
                time.millisecond);
  return text;
}

bool TakenAsGbk(const char* text, std::uint32_t ansi_code_page) {
  if (ansi_code_page == 936 || text == nullptr) return true;
  for (const char* at = text; *at != '\0'; ++at) {
    if (static_cast<unsigned char>(*at) >= 0x80) return false;
  }
  return true;
}

}  // namespace vok
