#include "bundle/secrets.h"

#include <string_view>

#include "request/trace_line.h"

namespace vok::tool {
namespace {

constexpr std::string_view kElement = "password";

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[at + i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

// Where a tag opens at `at` ("<" or the escaped "&lt;"), the length of its
// opening; 0 elsewhere. Neither '<' nor '&' is ever the second byte of a
// GBK character, so this is safe on GBK bytes.
std::size_t TagOpening(std::string_view text, std::size_t at) {
  if (text[at] == '<') return 1;
  if (text[at] == '&' && StartsWithNoCase(text, at, "&lt;")) return 4;
  return 0;
}

std::size_t TagClosing(std::string_view text, std::size_t at) {
  if (at < text.size() && text[at] == '>') return 1;
  if (at < text.size() && StartsWithNoCase(text, at, "&gt;")) return 4;
  return 0;
}

// Replaces text[from, to) with the mask; true when it held something else.
bool MaskRange(std::string& text, std::size_t from, std::size_t to) {
  if (to <= from || std::string_view(text).substr(from, to - from) == kMaskedSecret) return false;
  text.replace(from, to - from, kMaskedSecret);
  return true;
}

// The password field of each -L{...} login command line in `text`.
std::size_t MaskCommandLine(std::string& text) {
  std::size_t masked = 0;
  for (std::size_t at = text.find("-L{"); at != std::string::npos; at = text.find("-L{", at + 1)) {
    std::size_t field_start = at + 3;
    for (int field = 0; field < 3 && field_start != std::string::npos; ++field) {
      const std::size_t tab = text.find('\t', field_start);
      field_start = tab == std::string::npos ? tab : tab + 1;
    }
    if (field_start == std::string::npos) continue;
    std::size_t field_end = text.find_first_of("\t}", field_start);
    if (field_end == std::string::npos) field_end = text.size();
    masked += MaskRange(text, field_start, field_end) ? 1 : 0;
  }
  return masked;
}

bool IsPasswordName(std::string_view name) {
  return StartsWithNoCase(name, 0, "passw") || StartsWithNoCase(name, 0, "pwd");
}

}  // namespace

std::size_t MaskLoginXml(std::string& text) {
  std::size_t masked = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t opening = TagOpening(text, at);
    if (opening == 0 || !StartsWithNoCase(text, at + opening, kElement)) continue;
    const std::size_t closing = TagClosing(text, at + opening + kElement.size());
    if (closing == 0) continue;  // another element, attributes or <Password/>
    const std::size_t content = at + opening + kElement.size() + closing;
    std::size_t end = content;
    while (end < text.size() && TagOpening(text, end) == 0) ++end;
    masked += MaskRange(text, content, end) ? 1 : 0;
    at = content;
  }
  return masked;
}

std::size_t MaskTrace(std::string& text) {
  std::size_t masked = 0;
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string raw = text.substr(start, end - start);
    start = end;
    std::optional<trace::Line> line = trace::ParseLine(raw);
    if (!line) {
      masked += MaskLoginXml(raw) + MaskCommandLine(raw);
      out += raw;
      continue;
    }
    std::size_t in_line = 0;
    for (trace::LineField& field : line->fields) {
      if (IsPasswordName(field.name)) {
        in_line += MaskRange(field.value, 0, field.value.size()) ? 1 : 0;
      } else {
        in_line += MaskLoginXml(field.value) + MaskCommandLine(field.value);
      }
    }
    // An untouched line stays byte for byte as it was.
    out += in_line == 0 ? raw : trace::FormatLine(*line);
    masked += in_line;
  }
  text = std::move(out);
  return masked;
}

}  // namespace vok::tool
