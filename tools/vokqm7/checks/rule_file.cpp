#include "checks/rule_file.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "checks/item_name.h"
#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

struct ShippedFile {
  const char* name;
  const char* text;
};

const ShippedFile kShippedFiles[] = {
#include "shipped_rules.inc"
};

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
std::string IncomeSection() { return platform::Utf8ToGbk("[利润表]"); }
std::string BalanceSection() { return platform::Utf8ToGbk("[资产负债表]"); }

// The column of the item's text in the line (the first match), for a message.
std::size_t ColumnOf(const std::vector<Character>& line, const std::string& gbk_name) {
  const std::u16string wanted = platform::GbkToUtf16(gbk_name);
  const std::u16string whole = ToUtf16(line, 0, line.size());
  const std::size_t at = whole.find(wanted);
  return at == std::u16string::npos ? 1 : at + 1;
}

// Whether the line starts with the word and a colon ("可选：", "其中:"); if so
// `from` is moved past them.
bool StartsWith(const std::vector<Character>& line, std::size_t& from, std::u16string_view word) {
  const std::size_t colon = from + word.size();
  if (colon >= line.size() || ToUtf16(line, from, colon) != word ||
      (line[colon].code != U':' && line[colon].code != U'\uFF1A')) {
    return false;
  }
  from = colon + 1;
  return true;
}

// "其中：A, B" (or "，"): the names of the parts, as matched.
std::optional<std::set<std::u16string>> ReadParts(const std::vector<Character>& line,
                                                  std::size_t from, Failure& failure) {
  std::set<std::u16string> parts;
  for (std::size_t i = from; i <= line.size(); ++i) {
    const char32_t c = i < line.size() ? line[i].code : U'\0';
    if (i < line.size() && c != U',' && c != U'\uFF0C') continue;
    const Span span = Trimmed(line, from, i);
    const std::u16string name = MatchedItemName(ToUtf16(line, span.from, span.to));
    if (name.empty()) {
      failure = {ColumnAt(line, span.from), Tr("a part is missing here")};
      return std::nullopt;
    }
    parts.insert(name);
    from = i + 1;
  }
  return parts;
}

}  // namespace

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
    const std::optional<std::vector<Character>> line = DecodeLine(text, bad);
    if (!line) return fail(bad, Tr("this is not UTF-8, which rule files are"));
    const Span all = Trimmed(*line, 0, line->size());
    const std::u16string trimmed = ToUtf16(*line, all.from, all.to);
    if (trimmed.empty() || trimmed.substr(0, 2) == u"//") continue;
    if (trimmed.front() == u'[') {
      const std::size_t close = trimmed.find(u']');
      const std::u16string section = trimmed.substr(0, close == std::u16string::npos ? 0 : close + 1);
      const bool income = section == u"[利润表]" || section == u"[损益表]";
      if (!income && section != u"[资产负债表]") {
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
      const std::string name = shipped ? file : file + " " + platform::Utf16ToGbk(section);
      const Span format = Trimmed(*line, all.from + section.size(), all.to);
      current = &layouts.emplace_back(
          Layout{name,
                 format.from == format.to ? name
                                          : platform::Utf16ToGbk(ToUtf16(*line, format.from,
                                                                         format.to)),
                 kind, shipped, {}, {}});
      continue;
    }
    if (current == nullptr) {
      return fail(ColumnAt(*line, all.from),
                  TrF("a rule comes after its section, %s or %s", IncomeSection(),
                      BalanceSection()));
    }
    Failure failure;
    std::size_t from = all.from;
    if (StartsWith(*line, from, u"其中")) {
      const std::optional<std::set<std::u16string>> parts = ReadParts(*line, from, failure);
      if (!parts) return fail(failure.column, failure.what);
      current->parts.insert(parts->begin(), parts->end());
      continue;
    }
    const bool optional = StartsWith(*line, from, u"可选");
    std::optional<Rule> rule =
        ReadRule(std::vector<Character>(line->begin() + static_cast<std::ptrdiff_t>(from),
                                        line->end()),
                 failure);
    if (!rule) return fail(failure.column, failure.what);
    rule->optional = optional;
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
                        platform::Utf8ToGbk(income ? "利润表" : "资产负债表"), *unknown));
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
