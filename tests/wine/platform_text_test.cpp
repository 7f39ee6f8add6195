// Code-page conversion and the local date of the Win32 platform layer.
#include <cstdio>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "support/gbk_conversion_cases.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

TEST(PlatformCodePage, GbkConvertsBothWays) {
  const std::string gbk = Gbk(u8"资产负债表 A1");
  EXPECT_EQ(platform::GbkToUtf16(gbk), u"资产负债表 A1");
  EXPECT_EQ(platform::Utf16ToGbk(u"资产负债表 A1"), gbk);
  EXPECT_EQ(platform::GbkToUtf8(gbk), u8"资产负债表 A1");
  EXPECT_EQ(platform::Utf8ToGbk(u8"资产负债表 A1"), gbk);
  EXPECT_EQ(platform::GbkToUtf16(""), u"");
  EXPECT_EQ(platform::Utf16ToGbk(u""), "");
  // Zero bytes are characters like any other.
  EXPECT_EQ(platform::GbkToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  // What GBK lacks becomes its default character.
  EXPECT_EQ(platform::Utf16ToGbk(u"\u0E01\u4E2D"), "?" + Gbk(u8"中"));
}

TEST(PlatformCodePage, ToGbkWithoutLossKeepsEveryCharacterOrTellsTheFirstThatFails) {
  if (!platform::CanDecode(platform::Charset::kGb18030)) {
    std::printf("note: this system has no GB18030 code page (54936); it is refused\n");
  }
  test::ExpectEveryGbkConversionCase();
}

TEST(PlatformClock, TodayIsTheLocalCalendarDate) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const platform::LocalDate today = platform::Today();
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    if (platform::Today().day != today.day) continue;  // midnight passed in between
    EXPECT_EQ(today.year, local.tm_year + 1900);
    EXPECT_EQ(today.month, local.tm_mon + 1);
    EXPECT_EQ(today.day, local.tm_mday);
    return;
  }
}

}  // namespace
}  // namespace vok::wine_test
