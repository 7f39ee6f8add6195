// Item names as the arithmetic rules match them: the name an accountant
// reads, without what templates print around it.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace vok::tool {

// The name without blanks (ASCII white space, the ideographic space), without
// every bracketed part, ASCII or full-width ("（或股本）", "（损失以“-”号填列）",
// "（一）"), without the numbering in front ("一、", "一.", "1.", "3．", "2、",
// "1)", "(1)", "⑴", "①", "Ⅰ、"), the marks △ ▲ * # before it, the sign and
// part prefixes "加：", "减：", "其中：" (either colon), and a colon at the
// end, and with the wordings that mean the same written one way: 及 and 与
// as 和, 股东 as 所有者, 归属于 as 归属, 股本 as 实收资本, 营业税金及附加 as
// 税金及附加, 划分为持有待售的资产 (负债) as 持有待售资产 (负债). So "减：营业成本"
// and "  营业成本" are "营业成本", "二、营业利润（亏损以“-”号填列）" is "营业利润",
// "负债及股东权益总计" is "负债和所有者权益总计".
std::u16string MatchedItemName(std::u16string_view name);

// A statement's line as printed: its name as matched, and what its print
// says of its sign.
struct PrintedName {
  std::u16string name;
  int prefix_sign = 0;       // +1 for "加：", -1 for "减：", else 0
  bool numbered = false;     // "一、", "（一）", "1.": a line that starts a part of the statement
  std::u16string numbering;  // its form without the number: "一、" for "五、", "0." for "12."
  bool part = false;         // "其中：", a part of the line above
  bool loss_marked = false;  // "（损失以“－”号填列）": a loss is printed negative, so it is added
};

// The line's name as MatchedItemName reads it; besides, a bare 加 or 减 in
// front ("减 营业成本") is a prefix when the rest is one of the `known`
// names and the whole is not.
PrintedName ReadPrintedName(std::u16string_view name, const std::set<std::u16string>& known);

}  // namespace vok::tool
