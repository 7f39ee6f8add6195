#include "request/trace_line.h"

namespace vok::trace {
namespace {

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return true;
  for (const unsigned char c : value) {
    if (c <= ' ' || c == '"' || c == 0x7F) return true;
  }
  return false;
}

void AppendQuoted(std::string& out, std::string_view value) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (const unsigned char c : value) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < ' ' || c == 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A quoted value starting at text[at] (the opening quote); moves `at` past
// the closing one. Nothing when it is not closed or holds a bad escape.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& at) {
  std::string value;
  for (++at; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '"') {
      ++at;
      return value;
    }
    if (c != '\\') {
      value += c;
      continue;
    }
    if (++at >= text.size()) return std::nullopt;
    switch (text[at]) {
      case '"': value += '"'; break;
      case '\\': value += '\\'; break;
      case 'n': value += '\n'; break;
      case 'r': value += '\r'; break;
      case 't': value += '\t'; break;
      case 'x': {
        if (at + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[at + 1]);
        const int low = HexDigit(text[at + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        value += static_cast<char>(high * 16 + low);
        at += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

const std::string* Line::Find(std::string_view name) const {
  for (const LineField& field : fields) {
    if (field.name == name) return &field.value;
  }
  return nullptr;
}

std::string FormatLine(const Line& line) {
  std::string out = line.time;
  for (const LineField& field : line.fields) {
    out += ' ';
    out += field.name;
    out += '=';
    if (NeedsQuotes(field.value)) {
      AppendQuoted(out, field.value);
    } else {
      out += field.value;
    }
  }
  out += '\n';
  return out;
}

std::optional<Line> ParseLine(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  // The time is the first two blank-separated words.
  const std::size_t date_end = text.find(' ');
  if (date_end == std::string_view::npos) return std::nullopt;
  const std::size_t time_end = text.find(' ', date_end + 1);
  Line line;
  line.time = std::string(text.substr(0, time_end));
  if (line.time.size() != 23 || line.time[4] != '-' || line.time[10] != ' ') return std::nullopt;
  std::size_t at = time_end;
  while (at != std::string_view::npos && at < text.size()) {
    if (text[at] != ' ') return std::nullopt;
    ++at;
    const std::size_t equals = text.find('=', at);
    if (equals == std::string_view::npos || equals == at) return std::nullopt;
    LineField field;
    field.name = std::string(text.substr(at, equals - at));
    if (field.name.find(' ') != std::string::npos) return std::nullopt;
    at = equals + 1;
    if (at < text.size() && text[at] == '"') {
      std::optional<std::string> value = ReadQuoted(text, at);
      if (!value) return std::nullopt;
      field.value = std::move(*value);
    } else {
      const std::size_t end = text.find(' ', at);
      field.value = std::string(text.substr(at, end == std::string_view::npos ? end : end - at));
      at = end;
    }
    line.fields.push_back(std::move(field));
  }
  return line;
}

}  // namespace vok::trace
