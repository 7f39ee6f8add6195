#include <gtest/gtest.h>

#include "request/text_rules.h"

namespace vok {
namespace {

TEST(LeadingIntegerTest, ReadsDigitsAfterSpaceAndSign) {
  EXPECT_EQ(ParseLeadingInteger("2007"), 2007);
  EXPECT_EQ(ParseLeadingInteger(" 2007"), 2007);
  EXPECT_EQ(ParseLeadingInteger("\t\n2007"), 2007);
  EXPECT_EQ(ParseLeadingInteger("2007a"), 2007);
  EXPECT_EQ(ParseLeadingInteger("20 07"), 20);
  EXPECT_EQ(ParseLeadingInteger("-12"), -12);
  EXPECT_EQ(ParseLeadingInteger("+12"), 12);
  EXPECT_EQ(ParseLeadingInteger("007"), 7);
}

TEST(LeadingIntegerTest, NoDigitsGiveZero) {
  EXPECT_EQ(ParseLeadingInteger(""), 0);
  EXPECT_EQ(ParseLeadingInteger("   "), 0);
  EXPECT_EQ(ParseLeadingInteger("abc"), 0);
  EXPECT_EQ(ParseLeadingInteger("-"), 0);
  EXPECT_EQ(ParseLeadingInteger("+-3"), 0);
  EXPECT_EQ(ParseLeadingInteger("\xD2\xBB" "3"), 0);  // a GBK character first
}

TEST(LeadingIntegerTest, SaturatesAtTheLimits) {
  EXPECT_EQ(ParseLeadingInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseLeadingInteger("2147483648"), 2147483647);
  EXPECT_EQ(ParseLeadingInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingInteger("-2147483649"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingInteger("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseLeadingInteger("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingInteger(std::string(5000, '9')), 2147483647);
}

TEST(TextRulesTest, TrimsOnlyAsciiSpaceAtTheEnds) {
  EXPECT_EQ(TrimAsciiSpace(" \t\r\n\v\fa b\f\v\n\r\t "), "a b");
  EXPECT_EQ(TrimAsciiSpace("   "), "");
  EXPECT_EQ(TrimAsciiSpace(""), "");
  // A full-width blank is text, not white space.
  EXPECT_EQ(TrimAsciiSpace("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");
}

TEST(TextRulesTest, ComparesAsciiLettersWithoutCase) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("zcfzb", "ZCFZB"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Syb", "SYB"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("SYB ", "SYB"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("SYB", "SYC"));
  // Only ASCII letters fold: '[' and '{' are not letters of another case.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC1", "\xE1"));
}

}  // namespace
}  // namespace vok
