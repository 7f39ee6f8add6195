// SHA-256 of a file's bytes, for telling one build of the library from
// another in a support bundle.
#pragma once

#include <string>
#include <string_view>

namespace vok::tool {

// The digest as 64 lowercase hex digits; "" where the system cannot compute
// it (one implementation per host: nettle, Windows' CNG).
std::string Sha256Hex(std::string_view bytes);

}  // namespace vok::tool
