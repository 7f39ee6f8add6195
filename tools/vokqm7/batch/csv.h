// Comma-separated files as spreadsheet programs write them: fields apart by
// commas, in double quotes where a field holds a comma, a quote (doubled
// inside) or a line end; lines ending in CR LF or LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

struct CsvRecord {
  std::size_t line;                 // the file's line the record starts on, from 1
  std::vector<std::string> fields;  // as they stand, quotes taken off
  // Where the record stands in the text, its line end left out.
  std::size_t begin = 0, end = 0;
};

struct CsvRecords {
  std::vector<CsvRecord> records;  // empty lines left out
  // The line of a quoted field that is still open at the end of the text
  // (the last record holds what was read of it), else 0.
  std::size_t unclosed_quote_line = 0;
};

// The records of the text. It is scanned byte by byte, which suits UTF-8
// and GBK alike: no byte of a multi-byte character of either is a comma, a
// quote or a line end.
CsvRecords ReadCsv(std::string_view text);

// The fields as one line of a file, quoted where they must be, with CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// A value as a spreadsheet program must be given it to show it as it is:
// digits with a leading zero (or more than a spreadsheet keeps) as the
// text formula ="001", and a value that would start a formula (=, +, -,
// @, a tab, a CR) or starts with an apostrophe behind an apostrophe.
std::string ForSpreadsheet(const std::string& value);

// The value ForSpreadsheet gave, from the field as it reads back; a field
// that a spreadsheet program saved again as it showed it stays as it is.
std::string FromSpreadsheet(const std::string& field);

}  // namespace vok::tool
