#include "bundle/secrets.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/ascii_case.h"
#include "request/trace_line.h"

namespace vok::tool {
namespace {

// Replaces text[from, to) with the mask; true when it held something else.
bool MaskRange(std::string& text, std::size_t from, std::size_t to) {
  if (to <= from || std::string_view(text).substr(from, to - from) == kMaskedSecret) return false;
  text.replace(from, to - from, kMaskedSecret);
  return true;
}

std::size_t DropWhole(std::string& value) { return MaskRange(value, 0, value.size()) ? 1 : 0; }

// Where a field of a login command line that starts at `from` ends: at a
// separator (a tab, or in a raw trace line the "\t" its quoting wrote),
// whose length goes to `separator`, or at the closing brace or the end of
// the text, where `separator` is 0.
std::size_t FieldEnd(std::string_view text, std::size_t from, TextEncoding encoding,
                     bool escaped, std::size_t& separator) {
  separator = 0;
  std::size_t at = from;
  for (; at < text.size() && text[at] != '}'; at = NextCharacter(text, at, encoding)) {
    if (text[at] == '\t') separator = 1;
    if (escaped && text.compare(at, 2, "\\t") == 0) separator = 2;
    if (separator != 0) return at;
  }
  return std::min(at, text.size());
}

// The password field (the fourth) of each -L{...} login command line.
// "-L{" starts a character wherever it stands ('-' is never the second
// byte of one).
std::size_t MaskCommandLine(std::string& text, TextEncoding encoding, bool escaped) {
  std::size_t masked = 0;
  for (std::size_t at = text.find("-L{"); at != std::string::npos; at = text.find("-L{", at + 1)) {
    std::size_t field_start = at + 3;
    std::size_t separator = 1;
    for (int field = 0; field < 3 && separator != 0; ++field) {
      field_start = FieldEnd(text, field_start, encoding, escaped, separator) + separator;
    }
    if (separator == 0) continue;  // a command line with no password in it
    const std::size_t field_end = FieldEnd(text, field_start, encoding, escaped, separator);
    masked += MaskRange(text, field_start, field_end) ? 1 : 0;
  }
  return masked;
}

bool IsPasswordFieldName(std::string_view name) {
  return platform::StartsWithIgnoringAsciiCase(name, "pass") ||
         platform::StartsWithIgnoringAsciiCase(name, "pwd");
}

bool IsFieldNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '-';
}

// The values of fields named like a password in lines as they stand: a
// name after a blank or a line end (or at the start) and "=", then a value
// up to the next blank, or a quoted one up to its closing quote. A quoted
// value that is never closed makes the lines uncertain.
std::size_t MaskRawFields(std::string& line, bool& certain) {
  std::size_t masked = 0;
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (at > 0 && std::string_view(" \t\r\n").find(line[at - 1]) == std::string_view::npos) continue;
    std::size_t equals = at;
    while (equals < line.size() && IsFieldNameByte(line[equals])) ++equals;
    if (equals == at || equals >= line.size() || line[equals] != '=' ||
        !IsPasswordFieldName(std::string_view(line).substr(at, equals - at))) {
      continue;
    }
    std::size_t from = equals + 1;
    std::size_t to = from;
    if (from < line.size() && line[from] == '"') {
      to = ++from;
      while (to < line.size() && line[to] != '"') to += line[to] == '\\' ? 2 : 1;
      if (to >= line.size()) {
        certain = false;
        return masked;
      }
    } else {
      to = std::min(line.find_first_of(" \t\r\n", from), line.size());
    }
    masked += MaskRange(line, from, to) ? 1 : 0;
    at = from;
  }
  return masked;
}

// One value. A raw line (no trace line) is searched for fields named like
// a password as well, and its command lines' tabs are as its quoting wrote
// them.
std::size_t MaskValue(std::string& value, TextEncoding encoding, bool raw_line) {
  bool certain = true;
  std::size_t masked = raw_line ? MaskRawFields(value, certain) : 0;
  if (certain) {
    const Masking elements = MaskPasswordElements(value, encoding);
    masked += elements.removed;
    certain = elements.certain;
  }
  if (!certain) return DropWhole(value);
  return masked + MaskCommandLine(value, encoding, raw_line);
}

}  // namespace

std::size_t MaskFile(std::string& bytes, TextEncoding encoding) {
  return MaskValue(bytes, encoding, false);
}

std::size_t MaskTrace(std::string& text) {
  std::size_t masked = 0;
  std::string out;
  out.reserve(text.size());
  // Lines that are no trace lines, one value together: a login text pasted
  // by hand may run over several.
  std::string raw_block;
  const auto flush = [&] {
    std::size_t body = raw_block.size();
    while (body > 0 && (raw_block[body - 1] == '\n' || raw_block[body - 1] == '\r')) --body;
    const std::string line_end = raw_block.substr(body);
    raw_block.resize(body);
    masked += MaskValue(raw_block, TextEncoding::kUtf8, true);
    out += raw_block + line_end;
    raw_block.clear();
  };
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string_view raw = std::string_view(text).substr(start, end - start);
    start = end;
    std::optional<trace::Line> line = trace::ParseLine(raw);
    if (!line) {
      raw_block += raw;
      continue;
    }
    flush();
    std::size_t in_line = 0;
    for (trace::LineField& field : line->fields) {
      in_line += IsPasswordFieldName(field.name) ? DropWhole(field.value)
                                                  : MaskValue(field.value, TextEncoding::kUtf8, false);
    }
    // An untouched line stays byte for byte as it was.
    out += in_line == 0 ? std::string(raw) : trace::FormatLine(*line);
    masked += in_line;
  }
  flush();
  text = std::move(out);
  return masked;
}

}  // namespace vok::tool
