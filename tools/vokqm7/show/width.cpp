#include "show/width.h"

#include <algorithm>
#include <iterator>

#include "platform/codepage.h"

namespace vok::tool {
namespace {

struct WidthRun {
  char32_t first;
  char32_t last;
  int width;
};

// Runs of code points whose width is not 1, in code point order; generated
// at build time from Unicode's EastAsianWidth.txt.
constexpr WidthRun kWidthRuns[] = {
#include "east_asian_width.inc"
};

// Calls `visit` with each code point of the UTF-16 text and the units it
// spans. A lone surrogate counts as one character of its own.
template <typename Visit>
void ForEachCharacter(std::u16string_view text, Visit visit) {
  for (std::size_t at = 0; at < text.size();) {
    char32_t character = text[at];
    std::size_t length = 1;
    if (character >= 0xD800 && character <= 0xDBFF && at + 1 < text.size() &&
        text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
      character = 0x10000 + ((character - 0xD800) << 10) + (text[at + 1] - 0xDC00);
      length = 2;
    }
    visit(character, text.substr(at, length));
    at += length;
  }
}

std::string Pad(std::string_view gbk, int columns, bool left) {
  const int missing = columns - DisplayWidth(gbk);
  if (missing <= 0) return std::string(gbk);
  const std::string blanks(static_cast<std::size_t>(missing), ' ');
  return left ? blanks + std::string(gbk) : std::string(gbk) + blanks;
}

}  // namespace

int CharacterWidth(char32_t character) {
  const auto after =
      std::upper_bound(std::begin(kWidthRuns), std::end(kWidthRuns), character,
                       [](char32_t c, const WidthRun& run) { return c < run.first; });
  if (after == std::begin(kWidthRuns)) return 1;
  const WidthRun& run = *std::prev(after);
  return character <= run.last ? run.width : 1;
}

int DisplayWidth(std::string_view gbk) {
  int width = 0;
  ForEachCharacter(platform::GbkToUtf16(gbk),
                   [&width](char32_t c, std::u16string_view) { width += CharacterWidth(c); });
  return width;
}

namespace {

// Punctuation that closes or ends something, which no line may start with.
bool IsClosingPunctuation(char32_t c) {
  return std::u32string_view(U")]},.;:!?\uFF09\uFF3D\uFF5D\u3011\u300D\u300F\u300B\u3009\uFF0C"
                             U"\u3002\u3001\uFF1B\uFF1A\uFF01\uFF1F\u201D\u2019")
             .find(c) != std::u32string_view::npos;
}

}  // namespace

std::vector<std::string> WrapToWidth(std::string_view gbk, int columns) {
  std::vector<std::string> lines;
  std::u16string line;
  std::vector<std::pair<std::size_t, int>> characters;  // where each starts in `line`, its width
  int width = 0;
  ForEachCharacter(platform::GbkToUtf16(gbk), [&](char32_t c, std::u16string_view units) {
    const int needed = CharacterWidth(c);
    if (width + needed > columns && !line.empty()) {
      // The character before closing punctuation goes down with it.
      std::size_t keep = characters.size();
      if (IsClosingPunctuation(c) && keep > 1) --keep;
      const std::size_t cut = keep < characters.size() ? characters[keep].first : line.size();
      lines.push_back(platform::Utf16ToGbk(line.substr(0, cut)));
      line.erase(0, cut);
      characters.erase(characters.begin(), characters.begin() + static_cast<long>(keep));
      width = 0;
      for (auto& [start, w] : characters) {
        start -= cut;
        width += w;
      }
    }
    characters.push_back({line.size(), needed});
    line += units;
    width += needed;
  });
  if (!line.empty() || lines.empty()) lines.push_back(platform::Utf16ToGbk(line));
  return lines;
}

std::string PadRight(std::string_view gbk, int columns) { return Pad(gbk, columns, false); }
std::string PadLeft(std::string_view gbk, int columns) { return Pad(gbk, columns, true); }

std::string Printable(std::string_view gbk) {
  // GBK trail bytes are 0x40 and above, so no byte below 0x20 belongs to a
  // double-byte character.
  std::string text(gbk);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

}  // namespace vok::tool
