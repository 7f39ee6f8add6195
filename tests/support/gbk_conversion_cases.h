// Texts in the encodings a document may come in, and what converting them to
// GBK without loss must give: one table for the conversions of both hosts.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace vok::test {

struct GbkConversionCase {
  const char* what;
  platform::Charset charset;
  std::string_view bytes;
  std::optional<std::string_view> gbk;  // nothing when it must fail, then:
  std::size_t offset;                   // where the first failing character starts
  char32_t character;                   // which it is; 0 for bytes that are none
};

using platform::Charset;
using namespace std::string_view_literals;

inline constexpr GbkConversionCase kGbkConversionCases[] = {
    {"GBK with a character only GBK has", Charset::kGbk, "a\xB9\xFA\x81\x40"sv,
     "a\xB9\xFA\x81\x40"sv, 0, 0},
    {"GBK, a lead byte before a byte that cannot follow it", Charset::kGbk, "ab\x81\x7F"sv, {}, 2,
     0},
    {"GBK, a lead byte at the end", Charset::kGbk, "ok\xB9"sv, {}, 2, 0},
    {"GBK, a byte that starts no character", Charset::kGbk, "\xB9\xFA\xFF"sv, {}, 2, 0},
    {"UTF-8", Charset::kUtf8, "a\xE5\x9B\xBD"sv, "a\xB9\xFA"sv, 0, 0},
    {"UTF-8 holding GBK bytes", Charset::kUtf8, "ab\xB9\xFA"sv, {}, 2, 0},
    {"UTF-8 cut short", Charset::kUtf8, "a\xE5\x9B"sv, {}, 1, 0},
    {"UTF-8, an encoded surrogate", Charset::kUtf8, "\xE5\x9B\xBD\xED\xA0\x80"sv, {}, 3, 0},
    {"UTF-8, an overlong form", Charset::kUtf8, "\xC0\xAF"sv, {}, 0, 0},
    {"UTF-8, Hangul, which GBK lacks", Charset::kUtf8, "x\xEA\xB0\x80"sv, {}, 1, 0xAC00},
    {"UTF-8, beyond the BMP", Charset::kUtf8, "\xE5\x9B\xBD\xF0\x9F\x98\x80"sv, {}, 3, 0x1F600},
    {"GB18030, two-byte characters", Charset::kGb18030, "\xB9\xFA\x81\x40"sv, "\xB9\xFA\x81\x40"sv,
     0, 0},
    {"GB18030, a four-byte character GBK lacks", Charset::kGb18030, "a\x81\x39\xEE\x39"sv, {}, 1,
     0x3400},
    {"GB18030, a four-byte one beyond the BMP", Charset::kGb18030, "\x95\x32\x82\x36"sv, {}, 0,
     0x20000},
    {"GB18030, a four-byte sequence cut short", Charset::kGb18030, "\xB9\xFA\x81\x30\x81"sv, {}, 2,
     0},
};

// A charset the system cannot convert must be refused, never guessed at.
inline void ExpectEveryGbkConversionCase() {
  for (const GbkConversionCase& c : kGbkConversionCases) {
    SCOPED_TRACE(c.what);
    platform::GbkConversionFault fault;
    if (!platform::CanDecode(c.charset)) {
      EXPECT_THROW((void)platform::ToGbkWithoutLoss(c.charset, c.bytes, fault), std::runtime_error);
      continue;
    }
    const std::optional<std::string> gbk = platform::ToGbkWithoutLoss(c.charset, c.bytes, fault);
    if (c.gbk) {
      EXPECT_EQ(gbk, std::optional<std::string>(*c.gbk));
    } else {
      EXPECT_FALSE(gbk.has_value());
      EXPECT_EQ(fault.offset, c.offset);
      EXPECT_EQ(fault.character, c.character);
    }
  }
}

}  // namespace vok::test
