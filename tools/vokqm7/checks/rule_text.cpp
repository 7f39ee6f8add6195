#include "checks/rule_text.h"

#include <algorithm>

#include "checks/item_name.h"
#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

bool IsPlus(char32_t c) { return c == U'+' || c == U'\uFF0B'; }
bool IsMinus(char32_t c) { return c == U'-' || c == U'\uFF0D' || c == U'\u2212'; }
bool IsEquals(char32_t c) { return c == U'=' || c == U'\uFF1D'; }
bool IsOpening(char32_t c) { return c == U'(' || c == U'\uFF08'; }
bool IsClosing(char32_t c) { return c == U')' || c == U'\uFF09'; }
// The item written at `span`: "#N" or a name.
std::optional<RuleItem> ReadItem(const std::vector<Character>& line, Span span, Failure& failure) {
  failure.column = ColumnAt(line, span.from);
  if (span.from == span.to) {
    failure.what = Tr("an item is missing here");
    return std::nullopt;
  }
  RuleItem item;
  if (line[span.from].code == U'#') {
    long number = 0;
    for (std::size_t i = span.from + 1; i < span.to; ++i) {
      const char32_t c = line[i].code;
      if (c < U'0' || c > U'9' || number > 99999) {
        failure.column = line[i].column;
        failure.what = Tr("a line number is \"#\" and digits, as #12");
        return std::nullopt;
      }
      number = number * 10 + static_cast<long>(c - U'0');
    }
    if (number == 0) {
      failure.what = Tr("a line number is \"#\" and a number from 1, as #12");
      return std::nullopt;
    }
    item.line = number;
    return item;
  }
  item.name = MatchedItemName(ToUtf16(line, span.from, span.to));
  item.written = platform::Utf16ToGbk(ToUtf16(line, span.from, span.to));
  if (item.name.empty()) {
    failure.what =
        TrF("\"%s\" names no item: numbering, signs and brackets are not part of a name",
            platform::Utf16ToGbk(ToUtf16(line, span.from, span.to)));
    return std::nullopt;
  }
  return item;
}

// Whether the rule can fail at all: not when its sides are the same item,
// or share every item, or when it names an item twice (which adds it twice
// or takes it back out).
bool CanFail(const Rule& rule, const std::vector<Character>& line,
             const std::vector<std::pair<int, Span>>& terms, Failure& failure) {
  const auto same = [&](const RuleTerm& term) { return term.item == rule.target; };
  if (std::all_of(rule.terms.begin(), rule.terms.end(), same)) {
    const bool plain = rule.terms.size() == 1 && rule.terms.front().sign > 0;
    failure = {ColumnAt(line, terms.front().second.from),
               plain ? Tr("both sides of the rule are the same item, so it cannot fail")
                     : Tr("the sides of the rule share every item, so it checks nothing")};
    return false;
  }
  std::vector<const RuleItem*> seen{&rule.target};
  for (std::size_t t = 0; t < rule.terms.size(); ++t) {
    const RuleItem& item = rule.terms[t].item;
    if (std::none_of(seen.begin(), seen.end(), [&](const RuleItem* s) { return *s == item; })) {
      seen.push_back(&item);
      continue;
    }
    failure = {ColumnAt(line, terms[t].second.from),
               TrF("the rule names %s twice", RuleItemText(item))};
    return false;
  }
  return true;
}

}  // namespace

std::string RuleItemText(const RuleItem& item) {
  return item.written.empty() ? RuleItemKey(item) : item.written;
}

std::string RuleItemKey(const RuleItem& item) {
  return item.line > 0 ? "#" + std::to_string(item.line) : platform::Utf16ToGbk(item.name);
}

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000' || c == U'\r'; }

// The UTF-8 line as characters, or nothing with `bad` the column of the
// first byte that starts no character.
std::optional<std::vector<Character>> DecodeLine(std::string_view line, std::size_t& bad) {
  std::vector<Character> characters;
  std::size_t at = 0;
  while (at < line.size()) {
    const auto lead = static_cast<unsigned char>(line[at]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    bad = characters.size() + 1;
    if (length == 0 || at + length > line.size()) return std::nullopt;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(line[at + i]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
      return std::nullopt;
    }
    characters.push_back({code, characters.size() + 1});
    at += length;
  }
  return characters;
}

std::u16string ToUtf16(const std::vector<Character>& characters, std::size_t from, std::size_t to) {
  std::u16string text;
  for (std::size_t i = from; i < to; ++i) {
    const char32_t c = characters[i].code;
    if (c < 0x10000) {
      text += static_cast<char16_t>(c);
    } else {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return text;
}

Span Trimmed(const std::vector<Character>& line, std::size_t from, std::size_t to) {
  while (from < to && IsBlank(line[from].code)) ++from;
  while (to > from && IsBlank(line[to - 1].code)) --to;
  return {from, to};
}

std::size_t ColumnAt(const std::vector<Character>& line, std::size_t index) {
  if (index < line.size()) return line[index].column;
  return line.empty() ? 1 : line.back().column + 1;
}

// One rule line: the target, "=", and terms joined by "+" and "-"; the
// first term may carry a sign.
std::optional<Rule> ReadRule(const std::vector<Character>& line, Failure& failure) {
  Rule rule;
  std::vector<std::pair<int, Span>> terms;
  std::optional<Span> target;
  std::size_t start = 0;
  int sign = 1;
  bool first_signed = false;
  int depth = 0;
  std::size_t opened = 0;  // the column of the bracket that is open
  for (std::size_t i = 0; i <= line.size(); ++i) {
    const char32_t c = i < line.size() ? line[i].code : U'\0';
    if (i < line.size()) {
      if (IsOpening(c) && depth++ == 0) opened = line[i].column;
      if (IsClosing(c) && depth > 0) --depth;
      if (depth > 0 || !(IsEquals(c) || IsPlus(c) || IsMinus(c))) continue;
    }
    const Span span = Trimmed(line, start, i);
    if (!target) {
      if (i == line.size() || !IsEquals(c)) {
        failure = {ColumnAt(line, i),
                   i == line.size() ? Tr("a rule is an item, \"=\" and the items that add up to it")
                                    : Tr("the item a rule checks comes first, then \"=\"")};
        return std::nullopt;
      }
      target = span;
    } else if (IsEquals(c)) {
      failure = {line[i].column, Tr("a rule has one \"=\"")};
      return std::nullopt;
    } else if (span.from == span.to && terms.empty() && i < line.size() && !first_signed) {
      // A sign before the first term.
      sign = IsMinus(c) ? -1 : 1;
      first_signed = true;
    } else {
      terms.push_back({sign, span});
      if (i < line.size()) sign = IsMinus(c) ? -1 : 1;
    }
    start = i + 1;
  }
  // Else the bracket would take the rest of the line as part of one name.
  if (depth > 0) {
    failure = {opened, Tr("this bracket is not closed")};
    return std::nullopt;
  }
  const std::optional<RuleItem> item = ReadItem(line, *target, failure);
  if (!item) return std::nullopt;
  rule.target = *item;
  std::u16string text = ToUtf16(line, target->from, target->to) + u" =";
  for (const auto& [term_sign, span] : terms) {
    const std::optional<RuleItem> term = ReadItem(line, span, failure);
    if (!term) return std::nullopt;
    rule.terms.push_back({term_sign, *term});
    if (term_sign < 0 || rule.terms.size() > 1) text += term_sign < 0 ? u" -" : u" +";
    text += u" " + ToUtf16(line, span.from, span.to);
  }
  rule.text = platform::Utf16ToGbk(text);
  if (!CanFail(rule, line, terms, failure)) return std::nullopt;
  return rule;
}

}  // namespace vok::tool
