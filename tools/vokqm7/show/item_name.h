// Item names as the arithmetic rules match them: the name an accountant
// reads, without what templates print around it.
#pragma once

#include <string>
#include <string_view>

namespace vok::tool {

// The name without blanks (ASCII white space, the ideographic space), without
// every bracketed part, ASCII or full-width ("（或股本）", "（损失以“-”号填列）",
// "（一）"), without the numbering in front ("一、", "1.", "3．", "2、"), the
// sign and part prefixes "加：", "减：", "其中：" (either colon), and a colon at
// the end: "减：营业成本" and "  营业成本" are "营业成本", "二、营业利润（亏损以“-”号
// 填列）" is "营业利润", "实收资本（或股本）" is "实收资本".
std::u16string MatchedItemName(std::u16string_view name);

}  // namespace vok::tool
