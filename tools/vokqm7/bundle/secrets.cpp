#include "bundle/secrets.h"

#include "bundle/decoded_views.h"
#include "bundle/password_keys.h"

namespace vok::tool {
namespace {

std::size_t DropWhole(std::string& text) {
  if (text.empty() || text == kMaskedSecret) return 0;
  text = kMaskedSecret;
  return 1;
}

// What can be masked where it stands; not certain when a password's end
// cannot be told.
Masking MaskInPlace(std::string& text, TextEncoding encoding) {
  Masking all = MaskPasswordElements(text, encoding);
  for (Masking (*mask)(std::string&, TextEncoding) :
       {&MaskKeyedValues, &MaskUserInfo, &MaskLoginCommandLines}) {
    if (!all.certain) break;
    const Masking masking = mask(text, encoding);
    all.removed += masking.removed;
    all.certain = masking.certain;
  }
  return all;
}

bool FoundInPlace(std::string_view text, TextEncoding encoding) {
  std::string copy(text);
  const Masking masking = MaskInPlace(copy, encoding);
  return masking.removed > 0 || !masking.certain;
}

// A decoding has no encoding of its own to go by: character references
// give UTF-8 inside GBK. Both readings are searched.
bool FoundDecoded(std::string_view text) {
  for (const std::string& view : DecodedViews(text)) {
    if (FoundInPlace(view, TextEncoding::kUtf8) || FoundInPlace(view, TextEncoding::kGbk)) {
      return true;
    }
  }
  return false;
}

// Masks in place until nothing more is found: a mask may change what a
// later one reads (a command line inside another's field). False when a
// password's end cannot be told, or it does not settle.
bool MaskUntilSettled(std::string& text, TextEncoding encoding, std::size_t& masked) {
  constexpr int kRounds = 8;
  for (int round = 0; round < kRounds; ++round) {
    const Masking masking = MaskInPlace(text, encoding);
    masked += masking.removed;
    if (!masking.certain) return false;
    if (masking.removed == 0) return true;
  }
  return false;
}

}  // namespace

std::size_t MaskText(std::string& text, TextEncoding encoding) {
  std::size_t masked = 0;
  if (!MaskUntilSettled(text, encoding, masked)) return masked + DropWhole(text);
  if (FoundDecoded(text)) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      end = end == std::string::npos ? text.size() : end + 1;
      std::size_t body = end;
      while (body > start && (text[body - 1] == '\n' || text[body - 1] == '\r')) --body;
      std::string line = text.substr(start, body - start);
      if (FoundDecoded(line)) masked += DropWhole(line);
      lines += line;
      lines.append(text, body, end - body);
      start = end;
    }
    text = std::move(lines);
  }
  // What is left holds nothing that either reading finds, or goes whole.
  if (HoldsPassword(text, encoding)) masked += DropWhole(text);
  return masked;
}

bool HoldsPassword(std::string_view text, TextEncoding encoding) {
  return FoundInPlace(text, encoding) || FoundDecoded(text);
}

}  // namespace vok::tool
