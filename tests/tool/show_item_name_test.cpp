// Item names as the arithmetic rules match them, on the names the published
// statement formats and the templates print.
#include <gtest/gtest.h>

#include <iterator>

#include "checks/item_name.h"

namespace vok::tool {
namespace {

TEST(ShowItemName, NumberingSignsPartsAndBracketsAreNoPartOfTheName) {
  const struct {
    const char16_t* printed;
    const char16_t* matched;
  } cases[] = {
      {u"一、营业收入", u"营业收入"},
      {u"减：营业成本", u"营业成本"},
      {u"    税金及附加", u"税金和附加"},
      {u"加:投资收益（损失以“-”号填列）", u"投资收益"},
      {u"二、营业利润（亏损以\"－\"号填列）", u"营业利润"},
      {u"（一）持续经营净利润(净亏损以“-”号填列)", u"持续经营净利润"},
      {u"1.重新计量设定受益计划变动额", u"重新计量设定受益计划变动额"},
      {u"３．其他权益工具投资公允价值变动", u"其他权益工具投资公允价值变动"},
      {u"其中：利息费用（收入以“-”号填列）", u"利息费用"},
      {u"实收资本（或股本）", u"实收资本"},
      {u"负债和所有者权益（或股东权益）总计", u"负债和所有者权益总计"},
      {u"所有者权益（或股东权益）：", u"所有者权益"},
      {u"七、每股收益：", u"每股收益"},
      {u"资 产 总 计", u"资产总计"},
      {u"　减：累计折旧", u"累计折旧"},
      {u"十一、其他", u"其他"},
      {u"1)营业成本", u"营业成本"},
      {u"(2)管理费用", u"管理费用"},
      {u"①销售费用", u"销售费用"},
      {u"Ⅰ、营业收入", u"营业收入"},
      {u"ⅱ.财务费用", u"财务费用"},
      {u"㈠持续经营净利润", u"持续经营净利润"},
      {u"五.其他综合收益的税后净额", u"其他综合收益的税后净额"},
      {u"⑴基本每股收益", u"基本每股收益"},
      {u"⒉稀释每股收益", u"稀释每股收益"},
      {u"△一般风险准备", u"一般风险准备"},
      {u"＊#▲ 递延收益", u"递延收益"},
      {u"1.△吸收存款", u"吸收存款"},
      // Wordings that mean the same line.
      {u"负债及所有者权益总计", u"负债和所有者权益总计"},
      {u"负债与股东权益合计", u"负债和所有者权益合计"},
      {u"股东权益合计", u"所有者权益合计"},
      {u"归属于母公司股东的净利润", u"归属母公司所有者的净利润"},
      {u"少数股东损益", u"少数所有者损益"},
      {u"划分为持有待售的资产", u"持有待售资产"},
      {u"股本", u"实收资本"},
      {u"营业税金及附加", u"税金和附加"},
      {u"主营业务税金及附加", u"主营业务税金和附加"},
      {u"股本溢价", u"股本溢价"},
      // What is no numbering or prefix stays.
      {u"一年内到期的非流动资产", u"一年内到期的非流动资产"},
      {u"加计扣除", u"加计扣除"},
      {u"10", u"10"},
      {u"（）", u""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(MatchedItemName(cases[i].printed), cases[i].matched) << "case " << i;
  }
}

// What the print says of a line's sign, and a bare 加 or 减 before a name
// the rules know.
TEST(ShowItemName, PrintedSignsAndBarePrefixes) {
  const std::set<std::u16string> known{u"营业成本", u"投资收益", u"加计扣除"};
  const struct {
    const char16_t* printed;
    const char16_t* name;
    int sign;
    const char16_t* numbering;
    bool part, loss_marked;
  } cases[] = {
      {u"减：营业成本", u"营业成本", -1, u"", false, false},
      {u"减 营业成本", u"营业成本", -1, u"", false, false},
      {u"加投资收益（损失以“－”号填列）", u"投资收益", 1, u"", false, true},
      {u"加计扣除", u"加计扣除", 0, u"", false, false},
      {u"减值准备", u"减值准备", 0, u"", false, false},
      // Only a loss printed negative says the line is added.
      {u"二、营业利润（亏损以“－”号填列）", u"营业利润", 0, u"一、", false, false},
      {u"财务费用（收益以“－”号填列）", u"财务费用", 0, u"", false, false},
      {u"（一）持续经营净利润", u"持续经营净利润", 0, u"（一）", false, false},
      {u"十二.其他", u"其他", 0, u"一.", false, false},
      {u"⑶其他", u"其他", 0, u"⑴", false, false},
      {u"12)其他", u"其他", 0, u"0)", false, false},
      {u"其中：利息费用（收入以“-”号填列）", u"利息费用", 0, u"", true, false},
      {u"信用减值损失（损失以“-”号填列）", u"信用减值损失", 0, u"", false, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const PrintedName printed = ReadPrintedName(cases[i].printed, known);
    EXPECT_EQ(printed.name, cases[i].name) << "case " << i;
    EXPECT_EQ(printed.prefix_sign, cases[i].sign) << "case " << i;
    EXPECT_EQ(printed.numbering, cases[i].numbering) << "case " << i;
    EXPECT_EQ(printed.numbered, !printed.numbering.empty()) << "case " << i;
    EXPECT_EQ(printed.part, cases[i].part) << "case " << i;
    EXPECT_EQ(printed.loss_marked, cases[i].loss_marked) << "case " << i;
  }
}

}  // namespace
}  // namespace vok::tool
