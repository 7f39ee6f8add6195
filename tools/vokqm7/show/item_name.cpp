#include "show/item_name.h"

#include <algorithm>

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

bool IsNumberingMark(char16_t c) {
  return c == u'\u3001' || c == u'.' || c == u'\uFF0E' || c == u'\uFF0C' || c == u',';
}

bool IsColon(char16_t c) { return c == u':' || c == u'\uFF1A'; }

// How many characters of numbering "一、", "12." stand at the front, or 0.
std::size_t NumberingLength(std::u16string_view name) {
  std::size_t digits = 0;
  if (!name.empty() && IsChineseNumeral(name[0])) {
    while (digits < name.size() && IsChineseNumeral(name[digits])) ++digits;
  } else {
    while (digits < name.size() && IsDigit(name[digits])) ++digits;
  }
  if (digits == 0 || digits >= name.size() || !IsNumberingMark(name[digits])) return 0;
  return digits + 1;
}

// How many characters a prefix "加：", "减:", "其中：" takes, or 0.
std::size_t PrefixLength(std::u16string_view name) {
  for (std::u16string_view word : {u"加", u"减", u"其中"}) {
    if (name.size() > word.size() && name.substr(0, word.size()) == word &&
        IsColon(name[word.size()])) {
      return word.size() + 1;
    }
  }
  return 0;
}

}  // namespace

std::u16string MatchedItemName(std::u16string_view name) {
  std::u16string kept;
  int depth = 0;
  for (char16_t c : name) {
    if (IsOpening(c)) {
      ++depth;
    } else if (IsClosing(c)) {
      if (depth > 0) --depth;
    } else if (depth == 0 && !IsBlank(c)) {
      kept += c;
    }
  }
  std::u16string_view rest = kept;
  for (;;) {
    const std::size_t front = NumberingLength(rest) + PrefixLength(rest);
    if (front == 0) break;
    rest.remove_prefix(std::min(front, rest.size()));
  }
  while (!rest.empty() && IsColon(rest.back())) rest.remove_suffix(1);
  return std::u16string(rest);
}

}  // namespace vok::tool
