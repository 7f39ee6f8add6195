#include "sections/cell_text.h"

#include "request/text_rules.h"

namespace vok {
namespace {

constexpr std::string_view kFullWidthBlank = "\xA1\xA1";

// 行次, 行数, 栏次
constexpr std::string_view kHeaderMarkers[] = {
    "\xD0\xD0\xB4\xCE", "\xD0\xD0\xCA\xFD", "\xC0\xB8\xB4\xCE"};

// 补充资料：, 补充资料, 补充资料:, 补充材料：, 补充材料, 补充材料:
constexpr std::string_view kSupplementaryHeadings[] = {
    "\xB2\xB9\xB3\xE4\xD7\xCA\xC1\xCF\xA3\xBA", "\xB2\xB9\xB3\xE4\xD7\xCA\xC1\xCF",
    "\xB2\xB9\xB3\xE4\xD7\xCA\xC1\xCF:",         "\xB2\xB9\xB3\xE4\xB2\xC4\xC1\xCF\xA3\xBA",
    "\xB2\xB9\xB3\xE4\xB2\xC4\xC1\xCF",         "\xB2\xB9\xB3\xE4\xB2\xC4\xC1\xCF:"};

// Bytes of the GBK character that starts at `at`: a lead byte 0x81-0xFE
// takes the byte after it as its trail.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  return byte >= 0x81 && byte <= 0xFE && at + 1 < text.size() ? 2 : 1;
}

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::string_view (&candidates)[N]) {
  for (std::string_view candidate : candidates) {
    if (text == candidate) return true;
  }
  return false;
}

}  // namespace

std::string WithoutBlanks(std::string_view value) {
  std::string kept;
  kept.reserve(value.size());
  for (std::size_t at = 0; at < value.size();) {
    const std::string_view character = value.substr(at, CharacterLength(value, at));
    if (character != " " && character != kFullWidthBlank) kept += character;
    at += character.size();
  }
  return kept;
}

bool IsHeaderMarker(std::string_view value) {
  return IsOneOf(WithoutBlanks(value), kHeaderMarkers);
}

bool IsSupplementaryHeading(std::string_view value) {
  return IsOneOf(WithoutBlanks(value), kSupplementaryHeadings);
}

std::string CleanedText(std::string_view value) { return std::string(TrimAsciiSpace(value)); }

std::string AmountText(std::string_view value) {
  const std::string_view cleaned = TrimAsciiSpace(value);
  return cleaned.empty() ? std::string("0.00") : std::string(cleaned);
}

void AppendEscaped(std::string& out, std::string_view text) {
  // Byte by byte on purpose: no GBK trail byte is '&', '<' or '>', so this is
  // the character-wise replacement for any GBK text and stays safe for a
  // malformed one.
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c; break;
    }
  }
}

}  // namespace vok
