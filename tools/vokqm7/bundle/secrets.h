// What a support bundle must never carry: passwords. Each function masks
// them in place with "********" and returns how many values it removed; a
// password already masked is not counted again. Where a password's end
// cannot be told, the whole value that holds it is dropped: a value is
// replaced by the mask alone, and that counts as one.
#pragma once

#include <cstddef>
#include <string>

#include "bundle/password_markup.h"

namespace vok::tool {

inline constexpr char kMaskedSecret[] = "********";

// A file of the bundle other than a trace, as one value: the content of
// every password element (bundle/password_markup.h) and the password of the
// interactive tool's login command line
// (-L{account<TAB>year<TAB>user<TAB>password<TAB>...}).
std::size_t MaskFile(std::string& bytes, TextEncoding encoding);

// A trace file's lines (UTF-8). In a trace line each field is a value: one
// whose name starts with "pass" or "pwd" (any case) loses it whole, any
// other is masked as MaskFile masks a file. Lines that are no trace lines,
// one after another, are one value: masked so, and fields named like a
// password, as they stand in the raw text, lose their values too.
std::size_t MaskTrace(std::string& text);

}  // namespace vok::tool
