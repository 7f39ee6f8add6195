// What a support bundle must never carry: passwords. Masking replaces each
// with "********" and says how many values it removed; a password already
// masked is not counted again. Where a password's end cannot be told, or
// it is only found once the text is decoded, the line or the whole text
// that holds it is replaced by the mask alone, and that counts as one.
#pragma once

#include <cstddef>
#include <string>

#include "bundle/password_markup.h"

namespace vok::tool {

inline constexpr char kMaskedSecret[] = "********";

// Masks a text (a file of the bundle, or one value of a trace line) in
// place: the content of every password element (bundle/password_markup.h),
// every value after a name that says it is a password and a URL's password
// (bundle/password_keys.h), the password of the interactive tool's login
// command line. Then the text is decoded as a reader could
// (bundle/decoded_views.h): each line in which a password is found so goes
// whole, and the whole text where it is found only across lines.
std::size_t MaskText(std::string& text, TextEncoding encoding);

// Whether masking `text` would find anything.
[[nodiscard]] bool HoldsPassword(std::string_view text, TextEncoding encoding);

}  // namespace vok::tool
