// A text as a reader could decode it: a password escaped in a way the
// masks do not read in place (a URL's %XX, numeric character references,
// escaping three times, base64, UTF-16) is still a password once decoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

// Each decoding of `text` that differs from it, and the decodings of those
// in turn (URL escapes, character references, backslash escapes, base64
// runs, UTF-16 in either byte order), at most `limit` texts in all.
std::vector<std::string> DecodedViews(std::string_view text, std::size_t limit = 48);

// The length of the whole UTF-8 character at `at`; 0 where none starts.
[[nodiscard]] std::size_t Utf8CharacterAt(std::string_view text, std::size_t at);

}  // namespace vok::tool
