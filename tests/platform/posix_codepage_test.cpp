// GBK <-> UTF-16 / UTF-8 with the replacement rules of the Windows code
// page functions.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/gbk_conversion_cases.h"

namespace vok::platform {
namespace {

TEST(PosixCodepage, KnownCharacters) {
  EXPECT_EQ(GbkToUtf16("\xB9\xFA\xCB\xB0\xC9\xEA\xB1\xA8"), u"\u56FD\u7A0E\u7533\u62A5");
  // Trail bytes 0x40-0x7E, 0x5C included.
  EXPECT_EQ(GbkToUtf16("\x81\x40"), u"\u4E02");
  EXPECT_EQ(GbkToUtf16("\xD5\x5C"), u"\u8AA0");
  EXPECT_EQ(Utf16ToGbk(u"\u8AA0\u4E02"), "\xD5\x5C\x81\x40");
  EXPECT_EQ(GbkToUtf8("a\xB9\xFA"), "a\xE5\x9B\xBD");
  EXPECT_EQ(Utf8ToGbk("a\xE5\x9B\xBD"), "a\xB9\xFA");
  EXPECT_EQ(GbkToUtf16(""), u"");
  EXPECT_EQ(Utf16ToGbk(u""), "");
}

TEST(PosixCodepage, BadGbkBecomesReplacementCharactersAndGoesOn) {
  EXPECT_EQ(GbkToUtf16("a\xFF" "b"), u"a\uFFFDb");
  // A lead byte before a byte that cannot follow it: only the lead is bad.
  EXPECT_EQ(GbkToUtf16("\x81 x"), u"\uFFFD x");
  // A lead byte at the very end.
  EXPECT_EQ(GbkToUtf16("ok\xB9"), u"ok\uFFFD");
  EXPECT_EQ(GbkToUtf8("\xFF\xB9\xFA"), "\xEF\xBF\xBD\xE5\x9B\xBD");
}

TEST(PosixCodepage, CharactersGbkLacksBecomeQuestionMarks) {
  // Hangul, an emoji (a surrogate pair: one character, one "?"), and lone
  // surrogates of both kinds.
  EXPECT_EQ(Utf16ToGbk(u"\uAC00x"), "?x");
  EXPECT_EQ(Utf16ToGbk(u"a\U0001F600b"), "a?b");
  const char16_t lone[] = {u'\xD800', u'a', u'\xDC00', u'\x56FD', 0};
  EXPECT_EQ(Utf16ToGbk(lone), "?a?\xB9\xFA");
  EXPECT_EQ(Utf8ToGbk("\xEA\xB0\x80-\xFF-\xE5\x9B\xBD"), "?-?-\xB9\xFA");
}

TEST(PosixCodepage, ToGbkWithoutLossKeepsEveryCharacterOrTellsTheFirstThatFails) {
  ASSERT_TRUE(CanDecode(Charset::kGb18030)) << "glibc's iconv has GB18030";
  test::ExpectEveryGbkConversionCase();
}

TEST(PosixCodepage, EveryDoubleByteCharacterRoundTrips) {
  std::string all;
  std::u16string allUtf16;
  int valid = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string utf16 = GbkToUtf16(gbk);
      ASSERT_EQ(utf16.size(), 1u) << std::hex << lead << ' ' << trail;
      if (utf16[0] == u'\uFFFD') continue;
      ++valid;
      ASSERT_EQ(Utf16ToGbk(utf16), gbk) << std::hex << lead << ' ' << trail;
      all += gbk;
      allUtf16 += utf16;
    }
  }
  EXPECT_GT(valid, 21000);
  // The same in one piece, far beyond any single conversion buffer.
  EXPECT_EQ(GbkToUtf16(all), allUtf16);
  EXPECT_EQ(Utf16ToGbk(allUtf16), all);
  EXPECT_EQ(Utf8ToGbk(GbkToUtf8(all)), all);
}

}  // namespace
}  // namespace vok::platform
