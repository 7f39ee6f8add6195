// Element text the way MSXML's text property gives it by default.
#pragma once

#include <libxml/tree.h>
#include <string>

namespace vok::platform::posix {

// Texts longer than this are refused (XmlError): the cap keeps a document
// that nests entity references from expanding without bound.
inline constexpr std::size_t kMaxTextBytes = std::size_t{64} << 20;

// The UTF-8 text of `node` and its descendants: text, CDATA and the content
// of internal entities concatenated, white space (blank, tab, CR, LF)
// trimmed at both ends except where it comes from a CDATA section.
// Throws XmlError past kMaxTextBytes or too many entity expansions.
std::string NodeTextUtf8(const xmlNode* node);

}  // namespace vok::platform::posix
