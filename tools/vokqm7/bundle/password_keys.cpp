#include "bundle/password_keys.h"

#include <vector>

#include "bundle/secrets.h"
#include "platform/ascii_case.h"

namespace vok::tool {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

constexpr std::string_view kAsciiKeys[] = {"pass", "pwd"};
// 口令 and 密码, as each encoding writes them.
constexpr std::string_view kUtf8Keys[] = {"\xE5\x8F\xA3\xE4\xBB\xA4", "\xE5\xAF\x86\xE7\xA0\x81"};
constexpr std::string_view kGbkKeys[] = {"\xBF\xDA\xC1\xEE", "\xC3\xDC\xC2\xEB"};

// Quotes a value may stand in, as written and as escaped once.
constexpr std::string_view kQuotes[] = {"\\\"", "&quot;", "&apos;", "\"", "'"};

bool IsNameByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == '$' || c >= 0x80;
}

bool EndsLine(char c) { return c == '\n' || c == '\r'; }

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  return at;
}

// The quote that starts at `at`, if any.
std::string_view QuoteAt(std::string_view text, std::size_t at) {
  for (const std::string_view quote : kQuotes) {
    if (text.substr(at, quote.size()) == quote) return quote;
  }
  return {};
}

// The quote that ends just before `at`, if any.
std::string_view QuoteBefore(std::string_view text, std::size_t at) {
  for (const std::string_view quote : kQuotes) {
    if (at >= quote.size() && text.substr(at - quote.size(), quote.size()) == quote) return quote;
  }
  return {};
}

// Where the closing `quote` of a value opened just before `from` is; a
// double quote after a backslash is no close.
std::size_t FindClosingQuote(std::string_view text, std::size_t from, std::string_view quote,
                             TextEncoding encoding) {
  for (std::size_t at = from; at < text.size(); at = NextCharacter(text, at, encoding)) {
    if (quote.size() == 1 && text[at] == '\\') {
      at = NextCharacter(text, at, encoding);
      if (at >= text.size()) break;
      continue;
    }
    if (text.substr(at, quote.size()) == quote) return at;
  }
  return kNone;
}

// Replaces text[from, to) with the mask; where the masked value ends now.
std::size_t MaskRange(std::string& text, std::size_t from, std::size_t to, Masking& masking) {
  const std::string_view value = std::string_view(text).substr(from, to - from);
  if (to <= from || value == kMaskedSecret) return to;
  text.replace(from, to - from, kMaskedSecret);
  ++masking.removed;
  return from + std::string_view(kMaskedSecret).size();
}

// Masks the value that starts at `at`: quoted, or bare to the line's end,
// ';', '&' or '<'. Where the masked value ends.
std::size_t MaskValueAt(std::string& text, std::size_t at, TextEncoding encoding,
                        Masking& masking) {
  const std::string_view quote = QuoteAt(text, at);
  if (!quote.empty()) {
    const std::size_t close = FindClosingQuote(text, at + quote.size(), quote, encoding);
    if (close == kNone) {
      masking.certain = false;
      return text.size();
    }
    return MaskRange(text, at + quote.size(), close, masking) + quote.size();
  }
  std::size_t end = at;
  while (end < text.size() && !EndsLine(text[end]) && text[end] != ';' && text[end] != '&' &&
         text[end] != '<') {
    end = NextCharacter(text, end, encoding);
  }
  return MaskRange(text, at, std::min(end, text.size()), masking);
}

// After a key standing as a quoted value (key="DbPassword"), the value it
// names: the next quoted value that follows a '=' or ':' (another name's
// quotes are passed), or the element's content when the tag ends first.
std::size_t MaskNamedValue(std::string& text, std::size_t at, TextEncoding encoding,
                           Masking& masking) {
  while (at < text.size() && !EndsLine(text[at]) && text[at] != '<') {
    if (text[at] == '>') {
      std::size_t end = at + 1;
      while (end < text.size() && text[end] != '<' && !EndsLine(text[end])) {
        end = NextCharacter(text, end, encoding);
      }
      return MaskRange(text, at + 1, std::min(end, text.size()), masking);
    }
    const std::string_view quote = QuoteAt(text, at);
    if (quote.empty()) {
      at = NextCharacter(text, at, encoding);
      continue;
    }
    std::size_t before = at;
    while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t')) --before;
    if (before > 0 && (text[before - 1] == '=' || text[before - 1] == ':')) {
      return MaskValueAt(text, at, encoding, masking);
    }
    const std::size_t close = FindClosingQuote(text, at + quote.size(), quote, encoding);
    if (close == kNone) return at + quote.size();
    at = close + quote.size();
  }
  return at;
}

// Whether the quote just before `at` (of `size` bytes) opens a value: a
// '=' or ':' stands before it.
bool OpensValue(std::string_view text, std::size_t at, std::size_t size) {
  std::size_t before = at - size;
  while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t')) --before;
  return before > 0 && (text[before - 1] == '=' || text[before - 1] == ':');
}

}  // namespace

bool ContainsPasswordKey(std::string_view name, TextEncoding encoding) {
  // The Latin keys byte by byte, even where a GBK character's second byte
  // starts one: read as another encoding, the bytes say "pwd".
  for (std::size_t at = 0; at < name.size(); ++at) {
    for (const std::string_view key : kAsciiKeys) {
      if (platform::StartsWithIgnoringAsciiCase(name.substr(at), key)) return true;
    }
  }
  for (std::size_t at = 0; at < name.size(); at = NextCharacter(name, at, encoding)) {
    for (const std::string_view key : encoding == TextEncoding::kGbk ? kGbkKeys : kUtf8Keys) {
      if (name.substr(at, key.size()) == key) return true;
    }
  }
  return false;
}

Masking MaskKeyedValues(std::string& text, TextEncoding encoding) {
  Masking masking;
  std::size_t at = 0;
  while (at < text.size() && masking.certain) {
    if (!IsNameByte(static_cast<unsigned char>(text[at]))) {
      at = NextCharacter(text, at, encoding);
      continue;
    }
    const std::size_t start = at;
    while (at < text.size() && IsNameByte(static_cast<unsigned char>(text[at]))) {
      at = NextCharacter(text, at, encoding);
    }
    const std::size_t end = std::min(at, text.size());
    const std::string_view name = std::string_view(text).substr(start, end - start);
    if (!ContainsPasswordKey(name, encoding)) continue;
    std::size_t after = end;
    const std::string_view quote = QuoteBefore(text, start);
    if (!quote.empty() && std::string_view(text).substr(end, quote.size()) == quote) {
      after = end + quote.size();
      if (OpensValue(text, start, quote.size())) {
        at = MaskNamedValue(text, after, encoding, masking);
        continue;
      }
    }
    std::size_t value = SkipBlanks(text, after);
    if (value < text.size() && (text[value] == '=' || text[value] == ':')) {
      value = SkipBlanks(text, value + 1);
    } else if (!(name.find('-') != std::string_view::npos && value > after &&
                 value < text.size() && text[value] != '-')) {
      continue;
    }
    if (value >= text.size() || EndsLine(text[value])) continue;
    at = MaskValueAt(text, value, encoding, masking);
  }
  return masking;
}

Masking MaskUserInfo(std::string& text, TextEncoding encoding) {
  Masking masking;
  std::size_t token = 0;
  for (std::size_t at = 0; at < text.size(); at = NextCharacter(text, at, encoding)) {
    const char c = text[at];
    if (std::string_view(" \t\r\n\"'<>()[]{}|,;=").find(c) != std::string_view::npos) {
      token = at + 1;
      continue;
    }
    if (c != '@' || at + 1 >= text.size() ||
        !IsNameByte(static_cast<unsigned char>(text[at + 1]))) {
      continue;
    }
    const std::string_view info = std::string_view(text).substr(token, at - token);
    const std::size_t scheme = info.find("://");
    const std::size_t base = scheme == kNone ? 0 : scheme + 3;
    const std::size_t colon = info.find(':', base);
    if (colon != kNone && colon + 1 < info.size()) {
      at = MaskRange(text, token + colon + 1, at, masking);
    }
    token = at + 1;
  }
  return masking;
}

Masking MaskLoginCommandLines(std::string& text, TextEncoding encoding) {
  Masking masking;
  // '-' is never the second byte of a GBK character.
  for (std::size_t at = text.find("-L{"); at != kNone; at = text.find("-L{", at + 1)) {
    const std::size_t start = at + 3;
    std::size_t close = kNone;
    std::vector<std::size_t> tabs;
    std::size_t end = start;
    for (; end < text.size() && !EndsLine(text[end]); end = NextCharacter(text, end, encoding)) {
      if (text[end] == '}') close = end;
      if (text[end] == '\t') tabs.push_back(end);
    }
    const std::size_t bound = close != kNone ? close : std::min(end, text.size());
    while (!tabs.empty() && tabs.back() > bound) tabs.pop_back();
    const std::size_t fields = tabs.size() + 1;
    if (fields < 4) continue;
    const std::size_t to = fields >= 7 ? tabs[fields - 4] : bound;
    MaskRange(text, tabs[2] + 1, to, masking);
  }
  return masking;
}

}  // namespace vok::tool
