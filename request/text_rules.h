// Small text rules shared by the login parse, the report tool driver and
// the cell export reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ascii_case.h"
#include "platform/clock.h"

namespace vok {

// True for the C locale's white space: blank, tab, line feed, vertical tab,
// form feed, carriage return.
constexpr bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The leading-integer rule: leading white space skipped, an optional sign,
// then decimal digits up to the first other character; no digits give 0.
// Values beyond the 32-bit range saturate at its limits.
std::int32_t ParseLeadingInteger(std::string_view text);

// `text` without white space (IsAsciiSpace) at either end.
std::string_view TrimAsciiSpace(std::string_view text);

// Whether a caller's narrow text in the ANSI code page `ansi_code_page`
// reads the same as GBK: always where that is 936, else only when the text
// is plain ASCII (every ANSI code page keeps ASCII as it is). A null text
// is no text.
bool TakenAsGbk(const char* text, std::uint32_t ansi_code_page);

// Byte-for-byte comparison that treats ASCII letters of either case alike:
// the platform's, by which encoding names are compared too.
using platform::EqualsIgnoringAsciiCase;

// "YYYY-MM-DD HH:MM:SS.mmm", for what the library tells support engineers.
std::string FormatLocalTime(const platform::LocalTime& time);

}  // namespace vok
