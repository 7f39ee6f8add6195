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

// ①..⑳, Ⅰ..Ⅻ and ⅰ..ⅻ, ㈠..㈩: numbers that are one character.
bool IsCircled(char16_t c) { return (c >= u'\u2460' && c <= u'\u2473') || (c >= u'\u3220' && c <= u'\u3229'); }
bool IsRoman(char16_t c) { return (c >= u'\u2160' && c <= u'\u216B') || (c >= u'\u2170' && c <= u'\u217B'); }

bool IsNumberingMark(char16_t c) {
  return c == u'\u3001' || c == u'.' || c == u'\uFF0E' || c == u'\uFF0C' || c == u',' ||
         IsClosing(c);
}

bool IsColon(char16_t c) { return c == u':' || c == u'\uFF1A'; }

struct Front {
  std::size_t length = 0;
  bool chinese = false;  // "一、": a part of the statement starts
};

// The numbering at the front: "一、", "12.", "1)", "(1)", "（一）", "①", "Ⅰ、".
Front NumberingAt(std::u16string_view name) {
  if (name.empty()) return {};
  if (IsCircled(name[0])) {
    return {name.size() > 1 && IsNumberingMark(name[1]) ? 2u : 1u, false};
  }
  if (IsRoman(name[0])) {
    return {name.size() > 1 && IsNumberingMark(name[1]) ? 2u : 0u, false};
  }
  const bool bracketed = IsOpening(name[0]);
  const std::size_t from = bracketed ? 1 : 0;
  std::size_t to = from;
  const bool chinese = to < name.size() && IsChineseNumeral(name[to]);
  while (to < name.size() && (chinese ? IsChineseNumeral(name[to]) : IsDigit(name[to]))) ++to;
  if (to == from || to >= name.size()) return {};
  if (bracketed) return IsClosing(name[to]) ? Front{to + 1, false} : Front{};
  if (!IsNumberingMark(name[to])) return {};
  return {to + 1, chinese && name[to] == u'\u3001'};
}

// How many characters a prefix "加：", "减:", "其中：" takes, or 0.
std::size_t PrefixLength(std::u16string_view name, std::u16string_view word) {
  const bool at = name.size() > word.size() && name.substr(0, word.size()) == word &&
                  IsColon(name[word.size()]);
  return at ? word.size() + 1 : 0;
}

// Wordings that mean the same line, written one way. Each is replaced
// wherever it stands, after 及 and 与 have become 和; whole names last.
struct Alias {
  std::u16string_view from, to;
};
constexpr Alias kPartAliases[] = {{u"股东权益", u"所有者权益"}};
constexpr Alias kNameAliases[] = {
    {u"股本", u"实收资本"},
    {u"营业税金和附加", u"税金和附加"},
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

bool HasLossMark(std::u16string_view bracketed) {
  return bracketed.find(u"填列") != std::u16string_view::npos;
}

// The line read once: its name as matched and what its print says.
PrintedName Read(std::u16string_view name) {
  PrintedName printed;
  std::u16string compact;
  std::copy_if(name.begin(), name.end(), std::back_inserter(compact),
               [](char16_t c) { return !IsBlank(c); });
  std::u16string_view rest = compact;
  for (bool first = true;; first = false) {
    const Front numbering = NumberingAt(rest);
    if (numbering.length > 0) {
      printed.numbered = printed.numbered || (first && numbering.chinese);
      rest.remove_prefix(numbering.length);
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
