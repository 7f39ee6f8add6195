// Rule files: the arithmetic of statement layouts as data, UTF-8 text, one
// rule a line (rule_text.h).
//
//   [利润表] 财会〔2019〕6号 附件1 利润表
//   // a comment
//   营业利润 = 营业收入 - 营业成本 - 税金及附加
//   可选：净利润 = 持续经营净利润 + 终止经营净利润
//   其中：利息费用, 利息收入
//
// A line "[利润表]" (or "[损益表]") or "[资产负债表]" starts the rules of that
// statement, the published format they state after it. "可选：" marks a
// breakdown that templates may leave blank; "其中：" lists the lines the
// format prints as parts of the line above them, in no sum. The rules of
// one section of one file are one layout.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "checks/rule_text.h"
#include "show/filing_document.h"

namespace vok::tool {

struct Layout {
  std::string name;    // GBK: the file's name, with its section for a file of the user's
  std::string format;  // GBK: "财会〔2019〕6号 附件1 利润表", as the section states it; else `name`
  StatementKind kind;
  bool shipped;  // built into the tool, rather than given with --rules
  std::vector<Rule> rules;
  std::set<std::u16string> parts;  // as matched: lines printed as parts of the line above
};

// The layouts of a rule file's text. Nothing, with `error` as
// "FILE:LINE:COLUMN: what is wrong", when a line is no section, comment,
// parts list or rule, the text is no UTF-8, or (for a file that is not
// shipped) a rule names an item by a name that no shipped layout of its
// statement knows.
std::optional<std::vector<Layout>> ReadRuleFile(std::string_view utf8, const std::string& file,
                                                bool shipped, std::string& error);

// The layouts built into the tool, in the order of their files' names.
const std::vector<Layout>& ShippedLayouts();

// Every name the rules of the layout, or of the layouts of a statement's
// kind, name (line numbers and parts left out).
std::set<std::u16string> ItemNames(const Layout& layout);
std::set<std::u16string> ItemNames(const std::vector<Layout>& layouts, StatementKind kind);

}  // namespace vok::tool
