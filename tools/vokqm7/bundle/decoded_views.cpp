#include "bundle/decoded_views.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace vok::tool {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | ((code >> 18) & 0x07));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// %XX and '+'.
std::string UrlDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '%' && at + 2 < text.size() && HexDigit(text[at + 1]) >= 0 &&
        HexDigit(text[at + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[at + 1]) * 16 + HexDigit(text[at + 2]));
      at += 2;
    } else {
      out += text[at] == '+' ? ' ' : text[at];
    }
  }
  return out;
}

// &lt; &gt; &amp; &quot; &apos; &#NN; &#xHH; (the semicolon may be missing
// after a number, as lenient readers take it).
std::string ReferencesDecoded(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '&') {
      out += text[at];
      continue;
    }
    bool named = false;
    for (const auto& [entity, c] : kNamed) {
      if (text.substr(at, entity.size()) == entity) {
        out += c;
        at += entity.size() - 1;
        named = true;
        break;
      }
    }
    if (named) continue;
    if (at + 2 < text.size() && text[at + 1] == '#') {
      const bool hex = text[at + 2] == 'x' || text[at + 2] == 'X';
      std::size_t digit = at + (hex ? 3 : 2);
      std::uint32_t code = 0;
      std::size_t digits = 0;
      for (; digit < text.size() && digits < 8; ++digit, ++digits) {
        const int value = hex ? HexDigit(text[digit])
                              : (text[digit] >= '0' && text[digit] <= '9' ? text[digit] - '0' : -1);
        if (value < 0) break;
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
      }
      if (digits > 0 && code > 0 && code < 0x110000) {
        AppendUtf8(out, code);
        at = digit < text.size() && text[digit] == ';' ? digit : digit - 1;
        continue;
      }
    }
    out += '&';
  }
  return out;
}

// \" \\ \/ \n \r \t \xHH \uXXXX, as JSON, C and the trace write them.
std::string BackslashesDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\' || at + 1 >= text.size()) {
      out += text[at];
      continue;
    }
    const char next = text[++at];
    switch (next) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x':
        if (at + 2 < text.size() && HexDigit(text[at + 1]) >= 0 && HexDigit(text[at + 2]) >= 0) {
          out += static_cast<char>(HexDigit(text[at + 1]) * 16 + HexDigit(text[at + 2]));
          at += 2;
        } else {
          out += next;
        }
        break;
      case 'u': {
        std::uint32_t code = 0;
        std::size_t digits = 0;
        while (digits < 4 && at + 1 + digits < text.size() &&
               HexDigit(text[at + 1 + digits]) >= 0) {
          code = code * 16 + static_cast<std::uint32_t>(HexDigit(text[at + 1 + digits]));
          ++digits;
        }
        if (digits == 4) {
          AppendUtf8(out, code);
          at += 4;
        } else {
          out += next;
        }
        break;
      }
      default:
        out += next;  // \" \\ \/ and the like stand for the character itself
    }
  }
  return out;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+' || c == '-') return 62;
  if (c == '/' || c == '_') return 63;
  return -1;
}

// Whether decoded bytes read as text (printable ASCII, line breaks and
// whole UTF-8 characters): a run of letters that is a word, not base64,
// decodes to bytes that mostly do not.
bool ReadsAsText(std::string_view bytes) {
  std::size_t readable = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    std::size_t length = Utf8CharacterAt(bytes, at);
    if (length == 1 &&
        !((byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n' || byte == '\r')) {
      length = 0;
    }
    readable += length;
    at += length > 0 ? length : 1;
  }
  return readable * 10 >= bytes.size() * 9;
}

// The runs of base64 (either alphabet; wrapped lines are one run) long
// enough to hold a name and a value, each decoded that reads as text, one
// a line. A run may start with letters that are not of it ("login" before
// its '=' is a word): it is decoded from each of its first four letters.
std::string Base64Decoded(std::string_view text) {
  constexpr std::size_t kShortest = 12;
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::string run;
    for (; at < text.size(); ++at) {
      const char c = text[at];
      if (Base64Value(c) >= 0) {
        run += c;
      } else if (c != '\r' && c != '\n') {
        break;
      }
    }
    while (at < text.size() && text[at] == '=') ++at;
    for (std::size_t skip = 0; skip < 4 && run.size() >= kShortest + skip; ++skip) {
      std::string decoded;
      std::uint32_t bits = 0;
      int held = 0;
      for (std::size_t i = skip; i < run.size(); ++i) {
        bits = (bits << 6) | static_cast<std::uint32_t>(Base64Value(run[i]));
        held += 6;
        if (held >= 8) {
          held -= 8;
          decoded += static_cast<char>((bits >> held) & 0xFF);
        }
      }
      if (ReadsAsText(decoded)) out += decoded + '\n';
    }
    if (run.empty()) ++at;
  }
  return out;
}

// UTF-16 code units from `offset` in either byte order, as UTF-8.
std::string Utf16Decoded(std::string_view text, std::size_t offset, bool big_endian) {
  std::string out;
  for (std::size_t at = offset; at + 1 < text.size(); at += 2) {
    const auto first = static_cast<unsigned char>(text[at]);
    const auto second = static_cast<unsigned char>(text[at + 1]);
    std::uint32_t unit = big_endian ? (first << 8 | second) : (second << 8 | first);
    if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < text.size()) {
      const auto third = static_cast<unsigned char>(text[at + 2]);
      const auto fourth = static_cast<unsigned char>(text[at + 3]);
      const std::uint32_t low = big_endian ? (third << 8 | fourth) : (fourth << 8 | third);
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

bool LooksLikeUtf16(std::string_view text) {
  const std::size_t zeros = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
  return text.size() >= 4 && zeros * 4 >= text.size();
}

}  // namespace

std::size_t Utf8CharacterAt(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  const std::size_t length = byte < 0x80    ? 1
                             : byte >= 0xF5 ? 0
                             : byte >= 0xF0 ? 4
                             : byte >= 0xE0 ? 3
                             : byte >= 0xC2 ? 2
                                            : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::vector<std::string> DecodedViews(std::string_view text, std::size_t limit) {
  std::vector<std::string> views;
  std::set<std::string> seen{std::string(text)};
  const auto add = [&](std::string view) {
    if (views.size() < limit && seen.insert(view).second) views.push_back(std::move(view));
  };
  // Breadth first, so that every single decoding comes before any
  // decoding of a decoding.
  std::vector<std::string> level{std::string(text)};
  while (!level.empty() && views.size() < limit) {
    const std::size_t first_new = views.size();
    for (const std::string& source : level) {
      if (source.find('%') != std::string::npos) add(UrlDecoded(source));
      if (source.find('&') != std::string::npos) add(ReferencesDecoded(source));
      if (source.find('\\') != std::string::npos) add(BackslashesDecoded(source));
      const std::string base64 = Base64Decoded(source);
      if (!base64.empty()) add(base64);
      if (LooksLikeUtf16(source)) {
        for (const std::size_t offset : {0, 1}) {
          add(Utf16Decoded(source, offset, false));
          add(Utf16Decoded(source, offset, true));
        }
      }
    }
    level.assign(views.begin() + static_cast<std::ptrdiff_t>(first_new), views.end());
  }
  return views;
}

}  // namespace vok::tool
