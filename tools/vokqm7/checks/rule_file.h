// Arithmetic rules of statement layouts, as rule files state them: UTF-8
// text, one rule a line in the form of report tools' audit formulas,
//
//   [损益表]
//   // a comment
//   营业利润 = 营业收入 - 营业成本 - 税金及附加
//   #12 = #10 - #11
//
// A line "[损益表]" or "[资产负债表]" starts the rules of that statement; an
// item is a name, matched as MatchedItemName reads it, or "#N", the line
// numbered N. The rules of one section of one file are one layout.
// A rule that cannot fail is refused: an unclosed bracket, the same item on
// both sides, an item named twice.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "show/filing_document.h"

namespace vok::tool {

struct RuleItem {
  std::u16string name;  // as matched; empty for a line number
  long line = 0;        // N of "#N", else 0
  std::string written;  // GBK, as the rule writes it: "负债及股东权益总计"
  bool operator==(const RuleItem& other) const { return name == other.name && line == other.line; }
};

struct RuleTerm {
  int sign = 1;  // +1 or -1
  RuleItem item;
};

struct Rule {
  RuleItem target;
  std::vector<RuleTerm> terms;
  std::string text;  // "营业利润 = 营业收入 - 营业成本", GBK, as the file writes it
};

struct Layout {
  std::string name;  // GBK: the file's name, with its section for a file of the user's
  StatementKind kind;
  bool shipped;  // built into the tool, rather than given with --rules
  std::vector<Rule> rules;
};

// The layouts of a rule file's text. Nothing, with `error` as
// "FILE:LINE:COLUMN: what is wrong", when a line is no section, comment or
// rule, the text is no UTF-8, or (for a file that is not shipped) a rule
// names an item by a name that no shipped layout of its statement knows.
std::optional<std::vector<Layout>> ReadRuleFile(std::string_view utf8, const std::string& file,
                                                bool shipped, std::string& error);

// The layouts built into the tool, in the order of their files' names.
const std::vector<Layout>& ShippedLayouts();

// The item as a rule names it, GBK: "营业利润", "#12".
std::string RuleItemText(const RuleItem& item);

// The item as matched, one text for both kinds: "营业利润", "#12".
std::string RuleItemKey(const RuleItem& item);

// Every name the rules of the layout, or of the layouts of a statement's
// kind, name (line numbers left out).
std::set<std::u16string> ItemNames(const Layout& layout);
std::set<std::u16string> ItemNames(const std::vector<Layout>& layouts, StatementKind kind);

}  // namespace vok::tool
