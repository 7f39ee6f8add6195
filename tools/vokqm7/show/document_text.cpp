#include "show/document_text.h"

#include <algorithm>
#include <cstdio>

#include "language/language.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "platform/encoding_names.h"
#include "platform/xml_declaration.h"

namespace vok::tool {
namespace {

using platform::Charset;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// "byte 57 (0xB3 0xC9)": the offset and the bytes that start there.
std::string ByteAt(std::string_view bytes, std::size_t offset) {
  std::string shown_bytes;
  const std::size_t shown = std::min<std::size_t>(4, bytes.size() - offset);
  for (std::size_t i = 0; i < shown; ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%s0x%02X", i == 0 ? "" : " ",
                  static_cast<unsigned>(static_cast<unsigned char>(bytes[offset + i])));
    shown_bytes += hex;
  }
  return TrF("byte %s (%s)", std::to_string(offset), shown_bytes);
}

std::string CodePoint(char32_t character) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(character));
  return text;
}

const char* CharsetName(Charset charset) {
  switch (charset) {
    case Charset::kGbk:
      return "GBK";
    case Charset::kGb18030:
      return "GB18030";
    case Charset::kUtf8:
      return "UTF-8";
  }
  return "";
}

std::optional<Charset> CharsetNamed(std::string_view name) {
  if (platform::IsGbkEncodingName(name)) return Charset::kGbk;
  if (platform::EqualsIgnoringAsciiCase(name, "GB18030")) return Charset::kGb18030;
  if (platform::EqualsIgnoringAsciiCase(name, "UTF-8") ||
      platform::EqualsIgnoringAsciiCase(name, "UTF8")) {
    return Charset::kUtf8;
  }
  return std::nullopt;
}

std::size_t FirstNonAscii(std::string_view bytes) {
  const auto at = std::find_if(bytes.begin(), bytes.end(),
                               [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return static_cast<std::size_t>(at - bytes.begin());
}

// Whether text said to be GBK or GB18030 is UTF-8 instead. Chinese text in
// GBK is practically never also well-formed UTF-8 (its lead and trail bytes
// would have to alternate as UTF-8's do), so text that is tells of an editor
// that saved the document as UTF-8 and kept its declaration.
bool IsUtf8Instead(std::string_view text) {
  if (FirstNonAscii(text) == text.size()) return false;
  platform::GbkConversionFault ignored;
  return platform::ToGbkWithoutLoss(Charset::kUtf8, text, ignored).has_value();
}

// Why a character that was decoded cannot be shown: the tool's texts are
// GBK (platform/codepage.h).
// `character` and `offset` fill in "the character U+AC00 at byte 57".
std::string NoNarrowForm(const std::string& character, const std::string& offset) {
  return TrF("the character %s at byte %s has no GBK form; show reads filing documents as GBK",
             character, offset);
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the document type declaration starts in the prolog (after white
// space, comments and processing instructions, the XML declaration among
// them), or npos. Markup characters are never part of another character in
// GBK, GB18030 or UTF-8, so the bytes can be scanned as they are.
std::size_t DoctypeAt(std::string_view text) {
  std::size_t at = 0;
  for (;;) {
    while (at < text.size() && IsXmlSpace(text[at])) ++at;
    const std::string_view rest = text.substr(at);
    std::string_view close;
    if (rest.substr(0, 4) == "<!--") {
      close = "-->";
    } else if (rest.substr(0, 2) == "<?") {
      close = "?>";
    } else {
      return rest.substr(0, 9) == "<!DOCTYPE" ? at : std::string_view::npos;
    }
    const std::size_t end = text.find(close, at + 2);
    if (end == std::string_view::npos) return std::string_view::npos;
    at = end + close.size();
  }
}

// UTF-8 of a code point below 0x110000.
std::string Utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code point of the character reference at `at` ("&#23435;",
// "&#x5B8B;"), and where it ends; nothing for one that is malformed or out
// of range, which the parser refuses itself.
std::optional<char32_t> Reference(std::string_view text, std::size_t& at) {
  const bool hex = text.substr(at + 2, 1) == "x";
  std::size_t end = at + (hex ? 3 : 2);
  char32_t value = 0;
  const std::size_t digits = end;
  for (; end < text.size() && text[end] != ';'; ++end) {
    const int digit = DigitValue(text[end], hex);
    if (digit < 0 || value > 0x10FFFF) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
  }
  if (end == digits || end >= text.size() || value == 0 || value > 0x10FFFF) return std::nullopt;
  at = end + 1;
  return value;
}

// Where the text refers to a character GBK lacks by a character reference,
// and which: the parser would hand it over as "?". Comments and CDATA
// sections hold no references.
std::optional<platform::GbkConversionFault> ReferenceGbkLacks(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    std::string_view close;
    if (text.compare(at, 4, "<!--") == 0) close = "-->";
    if (text.compare(at, 9, "<![CDATA[") == 0) close = "]]>";
    if (!close.empty()) {
      const std::size_t end = text.find(close, at);
      if (end == std::string_view::npos) return std::nullopt;
      at = end + close.size();
      continue;
    }
    if (text.compare(at, 2, "&#") != 0) {
      ++at;
      continue;
    }
    const std::size_t start = at;
    const std::optional<char32_t> character = Reference(text, at);
    if (!character) {
      ++at;
      continue;
    }
    platform::GbkConversionFault ignored;
    if (!platform::ToGbkWithoutLoss(Charset::kUtf8, Utf8Of(*character), ignored)) {
      return platform::GbkConversionFault{start, *character};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DocumentText(std::string_view bytes, std::string& fault) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    fault =
        Tr("it starts with a UTF-16 byte-order mark (byte 0); filing documents are GBK (or UTF-8)");
    return std::nullopt;
  }
  const std::size_t start = bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
  const std::string_view text = bytes.substr(start);
  const std::optional<platform::EncodingDeclaration> declared =
      platform::FindEncodingDeclaration(text);

  Charset charset = Charset::kUtf8;  // XML's own default
  std::string named;                 // `encoding "GBK" (byte 30)`, for the faults
  if (declared) {
    const std::size_t name_at = start + declared->end - 1 - declared->name.size();
    named = TrF("encoding \"%s\" (byte %s)", std::string(declared->name), std::to_string(name_at));
    const std::optional<Charset> known = CharsetNamed(declared->name);
    if (!known) {
      fault = TrF("it declares %s, which show does not read: filing documents are GBK (or UTF-8)",
                  named);
      return std::nullopt;
    }
    charset = *known;
    if (start != 0 && charset != Charset::kUtf8) {
      fault = TrF("it starts with a UTF-8 byte-order mark (byte 0) but declares %s", named);
      return std::nullopt;
    }
    if (!platform::CanDecode(charset)) {
      fault = TrF("it declares %s, which this system cannot decode", named);
      return std::nullopt;
    }
  }
  if (charset != Charset::kUtf8 && IsUtf8Instead(text)) {
    fault = TrF("it declares %s but its text is UTF-8, from byte %s", named,
                std::to_string(start + FirstNonAscii(text)));
    return std::nullopt;
  }

  // The parser gets characters, no longer bytes in the declared encoding, so
  // the encoding goes; the rest of the declaration stays for it to check.
  std::string undeclared(text);
  std::size_t removed_at = undeclared.size();
  std::size_t removed = 0;
  if (declared) {
    removed_at = declared->begin;
    removed = declared->end - declared->begin;
    undeclared.erase(removed_at, removed);
  }
  platform::GbkConversionFault at;
  std::optional<std::string> gbk = platform::ToGbkWithoutLoss(charset, undeclared, at);
  if (gbk) {
    // Its entities are how a few bytes make the parser build text without
    // end, and the library writes none.
    const std::size_t doctype = DoctypeAt(text);
    if (doctype != std::string_view::npos) {
      fault = TrF("it has a document type declaration (byte %s): filing documents have none",
                  std::to_string(start + doctype));
      return std::nullopt;
    }
    if (const std::optional<platform::GbkConversionFault> foreign = ReferenceGbkLacks(text)) {
      fault = TrF("the character reference at byte %s is to %s, which has no GBK form; show reads "
                  "filing documents as GBK",
                  std::to_string(start + foreign->offset), CodePoint(foreign->character));
      return std::nullopt;
    }
    return gbk;
  }
  const std::size_t offset = start + at.offset + (at.offset >= removed_at ? removed : 0);
  if (at.character != 0) {
    fault = NoNarrowForm(CodePoint(at.character), std::to_string(offset));
  } else if (!declared) {
    fault = TrF("it declares no encoding, so it must be UTF-8, but %s is not UTF-8",
                ByteAt(bytes, offset));
  } else {
    fault = TrF("%s is not %s, which it declares", ByteAt(bytes, offset), CharsetName(charset));
  }
  return std::nullopt;
}

}  // namespace vok::tool
