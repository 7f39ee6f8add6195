#include "checks/rule_file.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "language/language.h"
#include "platform/codepage.h"
#include "checks/item_name.h"

namespace vok::tool {
namespace {

struct ShippedFile {
  const char* name;
  const char* text;
};

const ShippedFile kShippedFiles[] = {
#include "shipped_rules.inc"
};

// A line's characters, each with its column (from 1).
struct Character {
  char32_t code;
  std::size_t column;
};

// The UTF-8 line as characters, or nothing with `bad` the column of the
// first byte that starts no character.
std::optional<std::vector<Character>> Decode(std::string_view line, std::size_t& bad) {
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

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000' || c == U'\r'; }
bool IsPlus(char32_t c) { return c == U'+' || c == U'\uFF0B'; }
bool IsMinus(char32_t c) { return c == U'-' || c == U'\uFF0D' || c == U'\u2212'; }
bool IsEquals(char32_t c) { return c == U'=' || c == U'\uFF1D'; }
bool IsOpening(char32_t c) { return c == U'(' || c == U'\uFF08'; }
bool IsClosing(char32_t c) { return c == U')' || c == U'\uFF09'; }

struct Failure {
  std::size_t column;
  std::string what;  // GBK
};

// Where the text of one item stands in the line: [from, to), blanks trimmed.
struct Span {
  std::size_t from, to;
};

Span Trimmed(const std::vector<Character>& line, std::size_t from, std::size_t to) {
  while (from < to && IsBlank(line[from].code)) ++from;
  while (to > from && IsBlank(line[to - 1].code)) --to;
  return {from, to};
}

std::size_t ColumnAt(const std::vector<Character>& line, std::size_t index) {
  return index < line.size() ? line[index].column : line.size() + 1;
}

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

// The first item of the rule that a shipped layout does not know, and the
// column where it is written, or nothing.
std::optional<std::string> UnknownItem(const Rule& rule, const std::set<std::u16string>& known) {
  std::vector<const RuleItem*> items{&rule.target};
  for (const RuleTerm& term : rule.terms) items.push_back(&term.item);
  for (const RuleItem* item : items) {
    if (item->line == 0 && known.count(item->name) == 0) return RuleItemText(*item);
  }
  return std::nullopt;
}

// The sections' headings as the messages name them, GBK.
std::string IncomeSection() { return platform::Utf8ToGbk("[损益表]"); }
std::string BalanceSection() { return platform::Utf8ToGbk("[资产负债表]"); }

// The column of the item's text in the line (the first match), for a message.
std::size_t ColumnOf(const std::vector<Character>& line, const std::string& gbk_name) {
  const std::u16string wanted = platform::GbkToUtf16(gbk_name);
  const std::u16string whole = ToUtf16(line, 0, line.size());
  const std::size_t at = whole.find(wanted);
  return at == std::u16string::npos ? 1 : at + 1;
}

}  // namespace

std::string RuleItemText(const RuleItem& item) {
  return item.written.empty() ? RuleItemKey(item) : item.written;
}

std::string RuleItemKey(const RuleItem& item) {
  return item.line > 0 ? "#" + std::to_string(item.line) : platform::Utf16ToGbk(item.name);
}

std::set<std::u16string> ItemNames(const Layout& layout) {
  std::set<std::u16string> names;
  for (const Rule& rule : layout.rules) {
    if (rule.target.line == 0) names.insert(rule.target.name);
    for (const RuleTerm& term : rule.terms) {
      if (term.item.line == 0) names.insert(term.item.name);
    }
  }
  return names;
}

std::set<std::u16string> ItemNames(const std::vector<Layout>& layouts, StatementKind kind) {
  std::set<std::u16string> names;
  for (const Layout& layout : layouts) {
    if (layout.kind != kind) continue;
    const std::set<std::u16string> own = ItemNames(layout);
    names.insert(own.begin(), own.end());
  }
  return names;
}

std::optional<std::vector<Layout>> ReadRuleFile(std::string_view utf8, const std::string& file,
                                                bool shipped, std::string& error) {
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  std::vector<Layout> layouts;
  Layout* current = nullptr;
  std::set<std::u16string> known[2];
  bool known_read = false;
  std::size_t number = 0;
  while (!utf8.empty() || number == 0) {
    ++number;
    const std::size_t end = utf8.find('\n');
    const std::string_view text = utf8.substr(0, end);
    utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
    auto fail = [&](std::size_t column, const std::string& what) {
      error = file + ":" + std::to_string(number) + ":" + std::to_string(column) + ": " + what;
      return std::nullopt;
    };
    std::size_t bad = 0;
    const std::optional<std::vector<Character>> line = Decode(text, bad);
    if (!line) return fail(bad, Tr("this is not UTF-8, which rule files are"));
    const Span all = Trimmed(*line, 0, line->size());
    const std::u16string trimmed = ToUtf16(*line, all.from, all.to);
    if (trimmed.empty() || trimmed.substr(0, 2) == u"//") continue;
    if (trimmed.front() == u'[') {
      const bool income = trimmed == u"[损益表]";
      if (!income && trimmed != u"[资产负债表]") {
        return fail(ColumnAt(*line, all.from), TrF("a section is %s or %s", IncomeSection(),
                                                    BalanceSection()));
      }
      const StatementKind kind =
          income ? StatementKind::kIncomeStatement : StatementKind::kBalanceSheet;
      const auto same = std::find_if(layouts.begin(), layouts.end(),
                                     [kind](const Layout& l) { return l.kind == kind; });
      if (same != layouts.end()) {
        current = &*same;
        continue;
      }
      const std::string section = platform::Utf16ToGbk(trimmed);
      current =
          &layouts.emplace_back(Layout{shipped ? file : file + " " + section, kind, shipped, {}});
      continue;
    }
    if (current == nullptr) {
      return fail(ColumnAt(*line, all.from),
                  TrF("a rule comes after its section, %s or %s", IncomeSection(),
                      BalanceSection()));
    }
    Failure failure;
    std::optional<Rule> rule = ReadRule(*line, failure);
    if (!rule) return fail(failure.column, failure.what);
    if (!shipped) {
      if (!known_read) {
        known[0] = ItemNames(ShippedLayouts(), StatementKind::kIncomeStatement);
        known[1] = ItemNames(ShippedLayouts(), StatementKind::kBalanceSheet);
        known_read = true;
      }
      const bool income = current->kind == StatementKind::kIncomeStatement;
      if (const std::optional<std::string> unknown = UnknownItem(*rule, known[income ? 0 : 1])) {
        return fail(ColumnOf(*line, *unknown),
                    TrF("no shipped layout of the %s has an item \"%s\"; name its line as #N "
                        "instead",
                        platform::Utf8ToGbk(income ? "损益表" : "资产负债表"), *unknown));
      }
    }
    current->rules.push_back(std::move(*rule));
  }
  // A layout without rules would fit every statement and check nothing.
  layouts.erase(std::remove_if(layouts.begin(), layouts.end(),
                               [](const Layout& l) { return l.rules.empty(); }),
                layouts.end());
  return layouts;
}

const std::vector<Layout>& ShippedLayouts() {
  static const std::vector<Layout> layouts = [] {
    std::vector<Layout> all;
    for (const ShippedFile& file : kShippedFiles) {
      std::string error;
      std::optional<std::vector<Layout>> read = ReadRuleFile(file.text, file.name, true, error);
      // The build's own test reads every shipped file; one that does not
      // read adds no layout rather than stopping the tool.
      if (read) std::move(read->begin(), read->end(), std::back_inserter(all));
    }
    return all;
  }();
  return layouts;
}

}  // namespace vok::tool
