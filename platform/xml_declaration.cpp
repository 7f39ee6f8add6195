#include "platform/xml_declaration.h"

namespace vok::platform {
namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

// '<?xml' S pseudo-attributes ('name' S? '=' S? quoted value, each after
// white space) S? '?>'. Only the shape is checked, not which names appear
// or in what order: a declaration the parser rejects fails either way.
std::optional<EncodingDeclaration> FindEncodingDeclaration(std::string_view text) {
  constexpr std::string_view kOpen = "<?xml";
  if (text.substr(0, kOpen.size()) != kOpen) return std::nullopt;
  std::size_t at = kOpen.size();
  std::optional<EncodingDeclaration> found;
  for (;;) {
    const std::size_t spaceStart = at;
    while (at < text.size() && IsXmlSpace(text[at])) ++at;
    if (text.substr(at, 2) == "?>") return found;
    if (at == spaceStart) return std::nullopt;  // "<?xmlfoo", or attributes run together

    const std::size_t nameStart = at;
    while (at < text.size() && IsAsciiLetter(text[at])) ++at;
    const std::string_view name = text.substr(nameStart, at - nameStart);
    if (name.empty()) return std::nullopt;
    while (at < text.size() && IsXmlSpace(text[at])) ++at;
    if (at >= text.size() || text[at] != '=') return std::nullopt;
    ++at;
    while (at < text.size() && IsXmlSpace(text[at])) ++at;
    if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return std::nullopt;
    const char quote = text[at++];
    const std::size_t valueEnd = text.find(quote, at);
    if (valueEnd == std::string_view::npos) return std::nullopt;
    const std::string_view value = text.substr(at, valueEnd - at);
    if (value.find('?') != std::string_view::npos) return std::nullopt;  // ran past "?>"
    at = valueEnd + 1;

    if (name == "encoding") {
      if (found) return std::nullopt;
      found = EncodingDeclaration{value, spaceStart, at};
    }
  }
}

}  // namespace vok::platform
