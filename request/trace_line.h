// One line of the library's trace, as it stands in the trace file:
//
//   2026-12-09 08:01:02.345 pid=1234 tid=5678 call=3 event=export.found file=C:\vok\rep_vok.xml bytes=6911
//
// UTF-8: the local time to the millisecond, then name=value fields. A value
// stands bare, backslashes and all, unless it is empty or holds a blank, a
// double quote or a control character; then it is quoted, with \" \\ \n \r
// \t and \xNN for the other control characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vok::trace {

struct LineField {
  std::string name;
  std::string value;  // UTF-8
};

struct Line {
  std::string time;  // "YYYY-MM-DD HH:MM:SS.mmm"
  std::vector<LineField> fields;

  // The value of the first field of that name, or nothing.
  [[nodiscard]] const std::string* Find(std::string_view name) const;
};

// The line's text, with its line feed.
std::string FormatLine(const Line& line);

// A line of a trace file (its line feed, if any, and a carriage return
// before it are ignored); nothing when it is not one.
std::optional<Line> ParseLine(std::string_view text);

}  // namespace vok::trace
