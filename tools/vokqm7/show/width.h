// How many terminal columns a GBK text takes, and texts cut to fit a column.
// The widths are those of Unicode's East Asian Width property, with the
// ambiguous characters (·, —, ①, the Greek and Cyrillic letters, ...) taken
// as wide: on a GBK console every double-byte character takes two columns,
// and the Windows console is where this tool's tables are mostly read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

// 0 for nonspacing and enclosing marks and format characters, 2 for wide,
// fullwidth and ambiguous characters, 1 for the others.
int CharacterWidth(char32_t character);

// Columns the GBK text takes.
int DisplayWidth(std::string_view gbk);

// The GBK text as lines of at most `columns` columns, broken between
// characters. A character wider than `columns` stands on a line of its own;
// an empty text is one empty line.
std::vector<std::string> WrapToWidth(std::string_view gbk, int columns);

// The GBK text with blanks added on the right (PadRight) or on the left
// (PadLeft) up to `columns` columns; a wider text is returned as it is.
std::string PadRight(std::string_view gbk, int columns);
std::string PadLeft(std::string_view gbk, int columns);

// The GBK text with each control character (tab, line feed, ...) replaced
// by a blank, so that a cell stays on its line.
std::string Printable(std::string_view gbk);

}  // namespace vok::tool
