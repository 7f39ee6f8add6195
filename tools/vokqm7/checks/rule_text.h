// One rule as a rules file writes it, in the form of report tools' audit
// formulas: the item it checks, "=", and the items that add up to it joined
// by "+" and "-" (the full-width "＋", "－", "＝" and the minus sign "−"
// count too); the first of them may carry a sign.
//
//   营业利润 = 营业收入 - 营业成本 - 税金及附加
//   #12 = #10 - #11
//
// An item is a name, matched as MatchedItemName reads it, or "#N", the line
// numbered N. A rule that cannot fail is refused: an unclosed bracket, the
// same item on both sides, an item named twice.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  std::string text;       // "营业利润 = 营业收入 - 营业成本", GBK, as the file writes it
  bool optional = false;  // a breakdown a template may leave blank ("可选："): not compared then
};

// The item as a rule names it, GBK: "营业利润", "#12".
std::string RuleItemText(const RuleItem& item);

// The item as matched, one text for both kinds: "营业利润", "#12".
std::string RuleItemKey(const RuleItem& item);

// A line's characters, each with its column (from 1).
struct Character {
  char32_t code;
  std::size_t column;
};

// Where a piece of the line stands: [from, to).
struct Span {
  std::size_t from, to;
};

// What is wrong with a line, and in which column.
struct Failure {
  std::size_t column;
  std::string what;  // GBK, in the current language
};

// The UTF-8 line as characters, or nothing with `bad` the column of the
// first byte that starts no character.
std::optional<std::vector<Character>> DecodeLine(std::string_view line, std::size_t& bad);

std::u16string ToUtf16(const std::vector<Character>& characters, std::size_t from, std::size_t to);

bool IsBlank(char32_t c);

// [from, to) without the blanks at either end.
Span Trimmed(const std::vector<Character>& line, std::size_t from, std::size_t to);

// The column of the character at `index`, or the one after the line's end.
std::size_t ColumnAt(const std::vector<Character>& line, std::size_t index);

// The rule the characters write, or nothing with `failure` saying why.
std::optional<Rule> ReadRule(const std::vector<Character>& line, Failure& failure);

}  // namespace vok::tool
