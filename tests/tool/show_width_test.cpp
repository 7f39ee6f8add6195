// Display widths and wrapping for show's tables.
#include <gtest/gtest.h>

#include "show/width.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;

TEST(ShowWidth, ChineseAndFullWidthTakeTwoColumnsAsciiOne) {
  EXPECT_EQ(DisplayWidth("2621680.15"), 10);
  EXPECT_EQ(DisplayWidth(Gbk("资产总计")), 8);
  EXPECT_EQ(DisplayWidth(Gbk("实收资本（或股本）")), 18);
  EXPECT_EQ(DisplayWidth(Gbk("减：所得税")), 10);
  EXPECT_EQ(DisplayWidth(Gbk("1.债务重组")), 10);
  EXPECT_EQ(DisplayWidth(Gbk("　")), 2);  // the full-width blank
  EXPECT_EQ(DisplayWidth(""), 0);
}

TEST(ShowWidth, AmbiguousCharactersAreWideAsOnAGbkConsole) {
  for (const char* ambiguous : {"—", "·", "①", "Ⅱ", "α", "Д", "°", "×", "…", "“"}) {
    EXPECT_EQ(DisplayWidth(Gbk(ambiguous)), 2) << ambiguous;
  }
}

TEST(ShowWidth, TableCoversMarksFormatCharactersAndPlanesBeyondGbk) {
  EXPECT_EQ(CharacterWidth(U'A'), 1);
  EXPECT_EQ(CharacterWidth(U'\u0301'), 0);  // combining acute accent
  EXPECT_EQ(CharacterWidth(U'\u200B'), 0);  // zero width space
  EXPECT_EQ(CharacterWidth(U'\u00AD'), 0);  // soft hyphen
  EXPECT_EQ(CharacterWidth(U'\u4E00'), 2);
  EXPECT_EQ(CharacterWidth(U'\u9FA5'), 2);
  EXPECT_EQ(CharacterWidth(U'\uFF61'), 1);  // halfwidth ideographic full stop
  EXPECT_EQ(CharacterWidth(U'\U00020000'), 2);
  EXPECT_EQ(CharacterWidth(U'\U0010FFFD'), 2);  // private use is ambiguous
  EXPECT_EQ(CharacterWidth(U'\U0010FFFF'), 1);  // not in the table
  EXPECT_EQ(CharacterWidth(U'\u00E9'), 2);      // é is ambiguous
  EXPECT_EQ(CharacterWidth(U'\u00EB'), 1);      // ë is not
}

TEST(ShowWidth, WrapsBetweenCharactersWithinTheWidth) {
  const std::string name = Gbk("3.会计政策变更增加（或减少）利润总额");
  const std::vector<std::string> lines = WrapToWidth(name, 11);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(DisplayWidth(line), 11) << line;
    joined += line;
  }
  EXPECT_EQ(joined, name);
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_EQ(lines[0], Gbk("3.会计政策"));  // 10 columns: the next character would make 12
  EXPECT_EQ(lines[1], Gbk("变更增加（"));
  EXPECT_EQ(lines[3], Gbk("润总额"));
}

// No line of a wrapped name starts with closing punctuation (行首禁则): the
// character before it goes down with it.
TEST(ShowWidth, NoLineStartsWithClosingPunctuation) {
  const struct {
    const char* name;
    int columns;
    const char* second;  // the second line
  } cases[] = {
      {"营业利润（亏损）", 14, "损）"},
      {"其中：利息费用，利息收入", 14, "用，利息收入"},
      {"未分配利润。", 10, "润。"},
      {"abcd)", 4, "d)"},
      {"净利润（净亏损以“－”号填列）", 18, "－”号填列）"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = WrapToWidth(Gbk(c.name), c.columns);
    ASSERT_GE(lines.size(), 2U) << c.name;
    EXPECT_EQ(lines[1], Gbk(c.second)) << c.name;
    std::string joined;
    for (const std::string& line : lines) {
      EXPECT_LE(DisplayWidth(line), c.columns) << c.name;
      joined += line;
    }
    EXPECT_EQ(joined, Gbk(c.name));
  }
}

TEST(ShowWidth, WrapEdgeCases) {
  EXPECT_EQ(WrapToWidth("", 10), std::vector<std::string>{""});
  EXPECT_EQ(WrapToWidth("abc", 3), std::vector<std::string>{"abc"});
  // A character wider than the column still gets out, one to a line.
  EXPECT_EQ(WrapToWidth(Gbk("资产"), 1), (std::vector<std::string>{Gbk("资"), Gbk("产")}));
}

TEST(ShowWidth, PadsByColumnsNotBytes) {
  EXPECT_EQ(PadRight(Gbk("存货"), 6), Gbk("存货") + "  ");
  EXPECT_EQ(PadLeft("1", 4), "   1");
  EXPECT_EQ(PadLeft(Gbk("本月数"), 4), Gbk("本月数"));
  EXPECT_EQ(Printable("a\tb\nc"), "a b c");
  EXPECT_EQ(Printable(Gbk("科目")), Gbk("科目"));
}

}  // namespace
}  // namespace vok::tool
