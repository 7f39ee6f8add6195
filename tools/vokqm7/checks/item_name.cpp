#include "checks/item_name.h"

#include <algorithm>
#include <iterator>

namespace vok::tool {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000' || c == u'\u00A0';
}

bool IsOpening(char16_t c) { return c == u'(' || c == u'\uFF08'; }
bool IsClosing(char16_t c) { return c == u')' || c == u'\uFF09'; }

bool IsChineseNumeral(char16_t c) {
  return std::u16string_view(u"一二三四五六七八九十").find(c) != std::u16string_view::npos;
}

bool IsDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19'); }

// ①..⑳, ⑴..⒇, ⒈..⒛, ㈠..㈩: numbers that are one character.
bool IsCircled(char16_t c) {
  return (c >= u'\u2460' && c <= u'\u249B') || (c >= u'\u3220' && c <= u'\u3229');
}
bool IsRoman(char16_t c) { return (c >= u'\u2160' && c <= u'\u216B') || (c >= u'\u2170' && c <= u'\u217B'); }

bool IsNumberingMark(char16_t c) {
  return c == u'\u3001' || c == u'.' || c == u'\uFF0E' || c == u'\uFF0C' || c == u',' ||
         IsClosing(c);
}

bool IsColon(char16_t c) { return c == u':' || c == u'\uFF1A'; }

// Marks templates put before a line: "△一般风险准备" (a line of enterprises
// with financial business), "*", "#".
bool IsMark(char16_t c) {
  return c == u'\u25B3' || c == u'\u25B2' || c == u'*' || c == u'\uFF0A' || c == u'#' ||
         c == u'\uFF03';
}

// How many characters the numbering at the front takes: "一、", "一.", "12.",
// "1)", "(1)", "（一）", "⑴", "①", "Ⅰ、"; 0 for none.
std::size_t NumberingAt(std::u16string_view name) {
  if (name.empty()) return 0;
  if (IsCircled(name[0])) return name.size() > 1 && IsNumberingMark(name[1]) ? 2 : 1;
  if (IsRoman(name[0])) return name.size() > 1 && IsNumberingMark(name[1]) ? 2 : 0;
  const bool bracketed = IsOpening(name[0]);
  const std::size_t from = bracketed ? 1 : 0;
  std::size_t to = from;
  const bool chinese = to < name.size() && IsChineseNumeral(name[to]);
  while (to < name.size() && (chinese ? IsChineseNumeral(name[to]) : IsDigit(name[to]))) ++to;
  if (to == from || to >= name.size()) return 0;
  if (bracketed) return IsClosing(name[to]) ? to + 1 : 0;
  return IsNumberingMark(name[to]) ? to + 1 : 0;
}

// One number of each kind of number that is one character: ① for ⑤.
char16_t FirstOfItsKind(char16_t c) {
  constexpr char16_t kFirsts[] = {u'\u3220', u'\u2488', u'\u2474', u'\u2460', u'\u2170',
                                  u'\u2160'};
  for (char16_t first : kFirsts) {
    if (c >= first) return first;
  }
  return c;
}

// The numbering with its number taken out: "一、" and "五、" are both "一、",
// "（二）" is "（一）", "12." is "0.", "⑶" is "⑴".
std::u16string NumberingForm(std::u16string_view numbering) {
  std::u16string form;
  for (char16_t c : numbering) {
    if (IsChineseNumeral(c)) {
      c = u'一';
    } else if (IsDigit(c)) {
      c = u'0';
    } else if (IsCircled(c) || IsRoman(c)) {
      c = FirstOfItsKind(c);
    }
    if (form.empty() || form.back() != c || (c != u'一' && c != u'0')) form += c;
  }
  return form;
}

// How many characters a prefix "加：", "减:", "其中：" takes, or 0.
std::size_t PrefixLength(std::u16string_view name, std::u16string_view word) {
  const bool at = name.size() > word.size() && name.substr(0, word.size()) == word &&
                  IsColon(name[word.size()]);
  return at ? word.size() + 1 : 0;
}

// Wordings that mean the same line, written one way. Each is replaced
// wherever it stands, after 及 and 与 have become 和; whole names last.
// 持有待售 lines were "划分为持有待售的…" before 财会〔2017〕30号.
struct Alias {
  std::u16string_view from, to;
};
constexpr Alias kPartAliases[] = {{u"股东", u"所有者"}, {u"归属于", u"归属"}};
constexpr Alias kNameAliases[] = {
    {u"股本", u"实收资本"},
    {u"营业税金和附加", u"税金和附加"},
    {u"划分为持有待售的资产", u"持有待售资产"},
    {u"划分为持有待售的负债", u"持有待售负债"},
};

std::u16string WithAliases(std::u16string name) {
  std::replace(name.begin(), name.end(), u'及', u'和');
  std::replace(name.begin(), name.end(), u'与', u'和');
  for (const Alias& alias : kPartAliases) {
    for (std::size_t at = name.find(alias.from); at != std::u16string::npos;
         at = name.find(alias.from, at + alias.to.size())) {
      name.replace(at, alias.from.size(), alias.to);
    }
  }
  for (const Alias& alias : kNameAliases) {
    if (name == alias.from) return std::u16string(alias.to);
  }
  return name;
}

// Only this note decides a sign: the formats print it on the gains and
// losses that are added. Other notes ("（收益以“－”号填列）" on 财务费用) say
// how a figure is written, not whether it is added.
bool HasLossMark(std::u16string_view bracketed) {
  return bracketed.find(u"损失以") != std::u16string_view::npos;
}

// The line read once: its name as matched and what its print says.
PrintedName Read(std::u16string_view name) {
  PrintedName printed;
  std::u16string compact;
  std::copy_if(name.begin(), name.end(), std::back_inserter(compact),
               [](char16_t c) { return !IsBlank(c); });
  std::u16string_view rest = compact;
  for (;;) {
    if (!rest.empty() && IsMark(rest.front())) {
      rest.remove_prefix(1);
      continue;
    }
    if (const std::size_t numbering = NumberingAt(rest)) {
      if (!printed.numbered) printed.numbering = NumberingForm(rest.substr(0, numbering));
      printed.numbered = true;
      rest.remove_prefix(numbering);
      continue;
    }
    if (const std::size_t n = PrefixLength(rest, u"加")) {
      printed.prefix_sign = 1;
      rest.remove_prefix(n);
    } else if (const std::size_t m = PrefixLength(rest, u"减")) {
      printed.prefix_sign = -1;
      rest.remove_prefix(m);
    } else if (const std::size_t p = PrefixLength(rest, u"其中")) {
      printed.part = true;
      rest.remove_prefix(p);
    } else {
      break;
    }
  }
  std::u16string kept, inside;
  int depth = 0;
  for (char16_t c : rest) {
    if (IsOpening(c)) {
      ++depth;
    } else if (IsClosing(c)) {
      if (depth > 0 && --depth == 0) {
        printed.loss_marked = printed.loss_marked || HasLossMark(inside);
        inside.clear();
      }
    } else if (depth == 0) {
      kept += c;
    } else {
      inside += c;
    }
  }
  while (!kept.empty() && IsColon(kept.back())) kept.pop_back();
  printed.name = WithAliases(std::move(kept));
  return printed;
}

}  // namespace

std::u16string MatchedItemName(std::u16string_view name) { return Read(name).name; }

PrintedName ReadPrintedName(std::u16string_view name, const std::set<std::u16string>& known) {
  PrintedName printed = Read(name);
  const std::u16string_view bare = printed.name;
  if (printed.prefix_sign == 0 && bare.size() > 1 && (bare[0] == u'加' || bare[0] == u'减') &&
      known.count(printed.name) == 0 && known.count(std::u16string(bare.substr(1))) > 0) {
    printed.prefix_sign = bare[0] == u'加' ? 1 : -1;
    printed.name.erase(0, 1);
  }
  return printed;
}

}  // namespace vok::tool
