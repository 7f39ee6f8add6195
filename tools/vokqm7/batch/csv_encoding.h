// The encodings a CSV file comes in from spreadsheet programs: UTF-8, with
// or without a byte-order mark, or GBK, as they save it on Chinese Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vok::tool {

enum class CsvEncoding { kUtf8, kUtf8WithMark, kGbk };

// "UTF-8", "UTF-8 with a byte-order mark", "GBK", in English: Tr() it to show it.
const char* EncodingName(CsvEncoding encoding);

// Decided from the bytes: UTF-8 when they start with its byte-order mark or
// are well-formed UTF-8 throughout (text in plain ASCII among them), else
// GBK.
CsvEncoding DetectCsvEncoding(std::string_view bytes);

// Whether the bytes, without a byte-order mark, are both well-formed UTF-8
// and GBK and read as different texts: short Chinese texts often are (GBK
// "校" is UTF-8 "У"), so only the one who saved the file can tell.
bool ReadsTwoWays(std::string_view bytes);

// The bytes after the byte-order mark, if there is one.
std::string_view CsvText(std::string_view bytes, CsvEncoding encoding);

// A field of the file as GBK, every character kept; nothing, with `fault`
// saying why, when its bytes are no text of the encoding or it holds a
// character GBK lacks.
std::optional<std::string> CsvFieldToGbk(CsvEncoding encoding, std::string_view field,
                                         std::string& fault);

}  // namespace vok::tool
