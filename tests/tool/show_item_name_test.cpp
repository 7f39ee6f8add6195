// Item names as the arithmetic rules match them, on the names the published
// statement formats and the templates print.
#include <gtest/gtest.h>

#include <iterator>

#include "show/item_name.h"

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

}  // namespace
}  // namespace vok::tool
