// A filing document's bytes as the text its XML parser is given: decoded in
// the encoding the document declares, strictly, never guessed at or patched.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vok::tool {

// The document as GBK text, its XML declaration as it stands but for the
// encoding it names (the text no longer is in that encoding). The encoding
// is GBK under any of its names, GB18030 or UTF-8, which is also what a
// document without an encoding declaration is, as in XML; a UTF-8
// byte-order mark may stand before UTF-8. Nothing, with `fault` saying what
// is wrong and at which byte, for any other encoding, a byte-order mark that
// contradicts the declaration, bytes that are no character of the encoding,
// text declared GBK or GB18030 that is UTF-8, a character GBK lacks, also
// as a character reference (the tool's texts are GBK, as the library's
// are), and a document type declaration, which no filing document has.
std::optional<std::string> DocumentText(std::string_view bytes, std::string& fault);

}  // namespace vok::tool
