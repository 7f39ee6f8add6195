#include "bundle/password_markup.h"

#include <algorithm>

#include "bundle/password_keys.h"
#include "bundle/secrets.h"
#include "platform/ascii_case.h"

namespace vok::tool {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// How markup is written at one level: as it is, or escaped once or twice
// inside a text.
struct Dialect {
  std::string open;   // "<", "&lt;", "&amp;lt;"
  std::string close;  // ">", "&gt;", "&amp;gt;"
  std::string quote;  // "&quot;", "&amp;quot;"; none as it is
  std::string apostrophe;
};

Dialect DialectOf(int level) {
  if (level == 0) return {"<", ">", "", ""};
  std::string entity = "&";
  for (int i = 1; i < level; ++i) entity += "amp;";
  return {entity + "lt;", entity + "gt;", entity + "quot;", entity + "apos;"};
}

// Blanks, the tag's own punctuation and the start of an entity end a name.
bool EndsName(char c) {
  switch (c) {
    case ' ': case '\t': case '\r': case '\n': case '/': case '>': case '<': case '&':
    case '"': case '\'': case '=':
      return true;
    default:
      return false;
  }
}

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');  // never a GBK trail byte
  return colon == kNone ? name : name.substr(colon + 1);
}

struct StartTag {
  std::string_view name;    // empty where no name follows the opener
  std::size_t end = kNone;  // just past its close; kNone: never closed
  bool empty = false;       // <name/>
};

// Walks one value character by character, so that a GBK trail byte (which
// may be '[' or ']') is never taken for markup.
class Scanner {
 public:
  Scanner(std::string_view text, TextEncoding encoding, const Dialect& dialect)
      : text_(text), encoding_(encoding), d_(dialect) {}

  std::size_t Next(std::size_t at) const { return NextCharacter(text_, at, encoding_); }

  bool At(std::size_t at, std::string_view piece) const {
    return !piece.empty() && at <= text_.size() && text_.substr(at, piece.size()) == piece;
  }

  std::size_t Find(std::size_t from, std::string_view piece) const {
    for (std::size_t at = from; at < text_.size(); at = Next(at)) {
      if (At(at, piece)) return at;
    }
    return kNone;
  }

  std::size_t FindOpen(std::size_t from) const { return Find(from, d_.open); }

  // The start tag whose opener is at `at`. Quoted attribute values may hold
  // the close; another opener before the close means it never closed.
  StartTag ReadStartTag(std::size_t at) const {
    StartTag tag;
    tag.name = NameAt(at + d_.open.size());
    if (tag.name.empty()) return tag;
    std::size_t pos = at + d_.open.size() + tag.name.size();
    while (pos < text_.size()) {
      if (At(pos, d_.close)) {
        tag.end = pos + d_.close.size();
        return tag;
      }
      if (text_[pos] == '/' && At(pos + 1, d_.close)) {
        tag.end = pos + 1 + d_.close.size();
        tag.empty = true;
        return tag;
      }
      if (At(pos, d_.open)) return tag;
      std::string_view quote;
      if (text_[pos] == '"' || text_[pos] == '\'') quote = text_.substr(pos, 1);
      if (At(pos, d_.quote)) quote = d_.quote;
      if (At(pos, d_.apostrophe)) quote = d_.apostrophe;
      if (quote.empty()) {
        pos = Next(pos);
        continue;
      }
      const std::size_t closing = Find(pos + quote.size(), quote);
      if (closing == kNone) return tag;
      pos = closing + quote.size();
    }
    return tag;
  }

  // The name that starts at `start`, if any.
  std::string_view NameAt(std::size_t start) const {
    std::size_t pos = start;
    while (pos < text_.size() && !EndsName(text_[pos])) pos = Next(pos);
    return text_.substr(std::min(start, text_.size()), pos - std::min(start, text_.size()));
  }

  // The name of the end tag whose opener is at `at`.
  std::string_view EndTagName(std::size_t at) const { return NameAt(at + d_.open.size() + 1); }

  // Where the content of the element `local_name` that starts at `from`
  // ends: the opener of the end tag that closes it, past child elements,
  // comments, CDATA and processing instructions. kNone when that cannot be
  // told: no end, or an end tag of another name.
  std::size_t FindContentEnd(std::size_t from, std::string_view local_name) const {
    int depth = 0;
    std::size_t at = FindOpen(from);
    while (at != kNone) {
      const std::size_t after = at + d_.open.size();
      if (At(after, "!--") || At(after, "![CDATA[") || At(after, "?") || At(after, "!")) {
        const std::string end = At(after, "!--")        ? "--" + d_.close
                                : At(after, "![CDATA[") ? "]]" + d_.close
                                : At(after, "?")        ? "?" + d_.close
                                                        : d_.close;
        const std::size_t found = Find(after + 1, end);
        if (found == kNone) return kNone;
        at = FindOpen(found + end.size());
        continue;
      }
      if (At(after, "/")) {
        const std::string_view name = EndTagName(at);
        const std::size_t close = Find(after + 1 + name.size(), d_.close);
        if (close == kNone) return kNone;
        if (depth == 0) {
          return platform::EqualsIgnoringAsciiCase(LocalName(name), local_name) ? at : kNone;
        }
        --depth;
        at = FindOpen(close + d_.close.size());
        continue;
      }
      const StartTag tag = ReadStartTag(at);
      if (tag.name.empty()) {  // a bare "<" in a text
        at = FindOpen(Next(at));
        continue;
      }
      if (tag.end == kNone) return kNone;
      if (!tag.empty) ++depth;
      at = FindOpen(tag.end);
    }
    return kNone;
  }

 private:
  std::string_view text_;
  TextEncoding encoding_;
  const Dialect& d_;
};

Masking MaskLevel(std::string& text, TextEncoding encoding, int level) {
  const Dialect dialect = DialectOf(level);
  Masking masking;
  std::size_t at = 0;
  for (;;) {
    const Scanner scanner(text, encoding, dialect);  // anew: the text changes
    at = scanner.FindOpen(at);
    if (at == kNone) return masking;
    if (scanner.At(at + dialect.open.size(), "/")) {
      // An end tag whose start is not in this value: what precedes it may
      // be the password.
      if (IsPasswordElementName(LocalName(scanner.EndTagName(at)), encoding)) {
        masking.certain = false;
        return masking;
      }
      at = scanner.Next(at);
      continue;
    }
    // Only a password element's tag is read whole: another's may run on to
    // the end of the text (an unclosed quote), and there are many of them.
    if (!IsPasswordElementName(LocalName(scanner.NameAt(at + dialect.open.size())), encoding)) {
      at = scanner.Next(at);
      continue;
    }
    const StartTag tag = scanner.ReadStartTag(at);
    if (tag.end == kNone) {
      masking.certain = false;
      return masking;
    }
    at = tag.end;
    if (tag.empty) continue;
    const std::size_t end = scanner.FindContentEnd(tag.end, LocalName(tag.name));
    if (end == kNone) {
      masking.certain = false;
      return masking;
    }
    const std::string_view content = std::string_view(text).substr(tag.end, end - tag.end);
    std::size_t close = end;
    if (!content.empty() && content != kMaskedSecret) {
      text.replace(tag.end, end - tag.end, kMaskedSecret);
      ++masking.removed;
      close = tag.end + std::string_view(kMaskedSecret).size();
    }
    at = Scanner(text, encoding, dialect).Find(close, dialect.close) + dialect.close.size();
  }
}

}  // namespace

std::size_t NextCharacter(std::string_view text, std::size_t at, TextEncoding encoding) {
  const auto byte = static_cast<unsigned char>(text[at]);
  const bool lead = encoding == TextEncoding::kGbk && byte >= 0x81 && byte <= 0xFE;
  return lead && at + 1 < text.size() ? at + 2 : at + 1;
}

bool IsPasswordElementName(std::string_view local_name, TextEncoding encoding) {
  return ContainsPasswordKey(local_name, encoding);
}

Masking MaskPasswordElements(std::string& text, TextEncoding encoding) {
  Masking all;
  for (int level = 0; level <= 2 && all.certain; ++level) {
    const Masking masking = MaskLevel(text, encoding, level);
    all.removed += masking.removed;
    all.certain = masking.certain;
  }
  return all;
}

}  // namespace vok::tool
