// What a support bundle must never carry: passwords. Each function masks
// them in place with "********" and returns how many it masked; a password
// already masked is not counted again.
#pragma once

#include <cstddef>
#include <string>

namespace vok::tool {

inline constexpr char kMaskedSecret[] = "********";

// The content of every Password element of a login XML in `text` (GBK or
// UTF-8), written as XML or escaped inside another text (&lt;Password&gt;).
std::size_t MaskLoginXml(std::string& text);

// A trace file's lines (UTF-8): a field named like a password, a login XML
// in any value, and the password in the interactive tool's login command
// line (-L{account<TAB>year<TAB>user<TAB>password<TAB>...}). A line that is
// no trace line gets the login XML and command line masks as it is.
std::size_t MaskTrace(std::string& text);

}  // namespace vok::tool
