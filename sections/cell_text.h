// The text rules that turn cell values into section texts: the header and
// supplementary-heading markers, cleaning, amounts and escaping. All texts
// are GBK.
#pragma once

#include <string>
#include <string_view>

namespace vok {

// `value` without its ASCII blanks and full-width blanks (GBK A1 A1). The text
// is walked character by character, so an A1 that ends one character and an
// A1 that starts the next are no full-width blank.
std::string WithoutBlanks(std::string_view value);

// "行次", "行数" or "栏次" once blanks and full-width blanks are removed.
bool IsHeaderMarker(std::string_view value);

// "补充资料" or "补充材料", bare or followed by an ASCII or a full-width colon,
// once blanks and full-width blanks are removed.
bool IsSupplementaryHeading(std::string_view value);

// The value without ASCII white space at either end; used for line numbers
// and item names.
std::string CleanedText(std::string_view value);

// The cleaned value, or "0.00" when nothing is left of it.
std::string AmountText(std::string_view value);

// Appends `text` with '&', '<' and '>' written as character references, so
// that a cell's text cannot break the filing document.
void AppendEscaped(std::string& out, std::string_view text);

}  // namespace vok
