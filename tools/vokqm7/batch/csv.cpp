#include "batch/csv.h"

namespace vok::tool {

CsvRecords ReadCsv(std::string_view text) {
  CsvRecords result;
  std::size_t line = 1;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '\n' || (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) {
      at += text[at] == '\r' ? 2 : 1;  // an empty line
      ++line;
      continue;
    }
    CsvRecord record{line, {}, at, at};
    std::string field;
    bool quoted = false;   // inside quotes
    bool ended = false;
    while (!ended) {
      if (at == text.size()) {
        if (quoted) result.unclosed_quote_line = record.line;
        break;
      }
      const char c = text[at++];
      if (quoted) {
        if (c == '"' && at < text.size() && text[at] == '"') {
          field += '"';
          ++at;
        } else if (c == '"') {
          quoted = false;
        } else {
          if (c == '\n') ++line;
          field += c;
        }
      } else if (c == '"') {
        quoted = true;
      } else if (c == ',') {
        record.fields.push_back(std::move(field));
        field.clear();
      } else if (c == '\n' || (c == '\r' && at < text.size() && text[at] == '\n')) {
        record.end = at - 1;
        if (c == '\r') ++at;
        ++line;
        ended = true;
      } else {
        field += c;
      }
    }
    if (!ended) record.end = at;
    record.fields.push_back(std::move(field));
    result.records.push_back(std::move(record));
    if (result.unclosed_quote_line != 0) break;
  }
  return result;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      line += field;
      continue;
    }
    line += '"';
    for (char c : field) line += c == '"' ? std::string("\"\"") : std::string(1, c);
    line += '"';
  }
  return line + "\r\n";
}

namespace {

// Excel keeps 15 significant digits of a number.
constexpr std::size_t kDigitsKept = 15;

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool StartsFormula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@\t\r'").find(text[0]) != std::string_view::npos;
}

}  // namespace

std::string ForSpreadsheet(const std::string& value) {
  if (AllDigits(value) && value.size() > 1 && (value[0] == '0' || value.size() > kDigitsKept)) {
    return "=\"" + value + "\"";
  }
  return StartsFormula(value) ? "'" + value : value;
}

std::string FromSpreadsheet(const std::string& field) {
  const std::string_view text = field;
  if (text.size() > 3 && text.substr(0, 2) == "=\"" && text.back() == '"' &&
      AllDigits(text.substr(2, text.size() - 3))) {
    return std::string(text.substr(2, text.size() - 3));
  }
  if (text.size() > 1 && text[0] == '\'' && StartsFormula(text.substr(1))) {
    return std::string(text.substr(1));
  }
  return field;
}

}  // namespace vok::tool
