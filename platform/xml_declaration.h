// The encoding an XML document's bytes declare, read without a parser: for
// the POSIX reader, which tells libxml2 to read GBK-family files as GBK
// (posix/xml_source.cpp), for the cell exports that Wine's msxml3 cannot
// load from a file (win32/xml.cpp), and for the tool, which decodes filing
// documents itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vok::platform {

// The encoding pseudo-attribute of the XML declaration at the very start of
// `text`: the name as written and the bytes [begin, end) that remove it
// whole, from the white space before "encoding" to the closing quote.
struct EncodingDeclaration {
  std::string_view name;
  std::size_t begin = 0;
  std::size_t end = 0;
};

// Nothing when `text` does not start with an XML declaration, when the
// declaration names no encoding, or when it is malformed.
[[nodiscard]] std::optional<EncodingDeclaration> FindEncodingDeclaration(std::string_view text);

}  // namespace vok::platform
