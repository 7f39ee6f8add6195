// Amounts as show compares them: exactly, in the forms the report tool
// writes, and nothing else taken for a number.
#include <gtest/gtest.h>

#include "checks/amount.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;

std::string Value(std::string_view text) {
  const std::optional<Amount> amount = Amount::Parse(text);
  return amount ? amount->Text() : "not a number";
}

TEST(ShowAmount, ReadsPlainSignedAndGroupedNumbers) {
  EXPECT_EQ(Value("2621680.15"), "2621680.15");
  EXPECT_EQ(Value("-4200.00"), "-4200.00");
  EXPECT_EQ(Value("+7"), "7");
  EXPECT_EQ(Value("1,234,567.89"), "1234567.89");
  EXPECT_EQ(Value("999"), "999");
  EXPECT_EQ(Value("  12.5 "), "12.5");
  EXPECT_EQ(Value("007.10"), "7.10");
  EXPECT_EQ(Value("-0.00"), "0.00");
  // White space as names have it: ASCII and the ideographic space, at the ends.
  EXPECT_EQ(Value(Gbk("　12.50 　")), "12.50");
  EXPECT_EQ(Value(Gbk("\t　-3")), "-3");
  EXPECT_EQ(Value(Gbk("1　234")), "not a number");
}

TEST(ShowAmount, EmptyAndDashAreAnEmptyAmount) {
  for (const std::string& empty : {std::string(""), std::string("   "), std::string("-"),
                                   std::string("--"), Gbk("—"), Gbk("——"), Gbk("－"), Gbk("―"),
                                   Gbk("　"), Gbk(" — ")}) {
    const std::optional<Amount> amount = Amount::Parse(empty);
    ASSERT_TRUE(amount) << empty;
    EXPECT_EQ(*amount, Amount()) << empty;
    EXPECT_TRUE(amount->Empty()) << empty;
  }
  EXPECT_FALSE(Amount::Parse("0.00")->Empty());
  EXPECT_FALSE(Amount::Parse("0")->Empty());
}

TEST(ShowAmount, RefusesWhatIsNotANumber) {
  for (const std::string& bad :
       {std::string("abc"), std::string("1.2.3"), std::string("12,34.00"), std::string("1234,567"),
        std::string(",123"), std::string("1,,234"), std::string("1,234,"), std::string(".5"),
        std::string("5."), std::string("+"), std::string("--5"), std::string("(1,234.00)"),
        std::string("1 234"), std::string("1e5"), std::string("12-"), Gbk("１２３"), Gbk("壹佰")}) {
    EXPECT_FALSE(Amount::Parse(bad)) << bad;
  }
}

TEST(ShowAmount, ComparesValuesNotTexts) {
  EXPECT_EQ(*Amount::Parse("1.5"), *Amount::Parse("1.50"));
  EXPECT_EQ(*Amount::Parse("1,000"), *Amount::Parse("1000.000"));
  EXPECT_EQ(*Amount::Parse("0.00"), *Amount::Parse("-"));
  EXPECT_NE(*Amount::Parse("1.5"), *Amount::Parse("-1.5"));
  EXPECT_NE(*Amount::Parse("2621680.15"), *Amount::Parse("2621680.16"));
  // Past what a double tells apart.
  EXPECT_NE(*Amount::Parse("12345678901234567.01"), *Amount::Parse("12345678901234567.02"));
  EXPECT_NE(*Amount::Parse("0.1"), *Amount::Parse("0.10000000000000000001"));
}

TEST(ShowAmount, DifferenceKeepsTheDecimalsOfBoth) {
  auto minus = [](const char* a, const char* b) {
    return (*Amount::Parse(a) - *Amount::Parse(b)).Text();
  };
  EXPECT_EQ(minus("2621680.15", "2621680.05"), "0.10");
  EXPECT_EQ(minus("100", "250.5"), "-150.5");
  EXPECT_EQ(minus("-3", "-5"), "2");
  EXPECT_EQ(minus("-5", "-3"), "-2");
  EXPECT_EQ(minus("5", "-3.25"), "8.25");
  EXPECT_EQ(minus("-5", "3"), "-8");
  EXPECT_EQ(minus("999.99", "-0.01"), "1000.00");
  EXPECT_EQ(minus("1,000.00", "1000"), "0.00");
  EXPECT_EQ(minus("0.001", "1"), "-0.999");
}

}  // namespace
}  // namespace vok::tool
