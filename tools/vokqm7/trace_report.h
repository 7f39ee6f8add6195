// A trace file read back: its lines grouped into the calls they belong to,
// for `vokqm7 trace show`.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "request/trace_line.h"

namespace vok::tool {

struct TracedCall {
  std::string pid;
  std::string call;
  std::vector<trace::Line> events;  // in the order they were written

  // The value of `field` in the first event named `event`, or "".
  [[nodiscard]] std::string Value(std::string_view event, std::string_view field) const;
  // Whether the call's end is in the file.
  [[nodiscard]] bool Ended() const;
};

struct TraceReport {
  std::vector<TracedCall> calls;  // in the order they began
  std::size_t unreadable_lines = 0;
};

// Groups the lines of `text` (one trace file's bytes, or several appended
// in order) by process and call number.
TraceReport ReadTrace(std::string_view text);

// Which calls `trace show` lists; an empty field lets every call through.
struct CallFilter {
  bool failed = false;      // a result other than 0, or no end in the file
  std::string account;      // the login's account code, exactly (UTF-8)
  std::string since;        // local time the call began at or after: "YYYY-MM-DD[ HH:MM[:SS]]"
  std::string export_name;  // the export, whatever its case

  [[nodiscard]] bool Any() const;
  [[nodiscard]] bool Matches(const TracedCall& call) const;
};

// Whether `text` is a time CallFilter::since takes.
[[nodiscard]] bool IsSinceTime(std::string_view text);

// The calls of `report` that `filter` lets through, in their order.
TraceReport FilterCalls(const TraceReport& report, const CallFilter& filter);

// The table of the last `count` calls (all when count is 0), then every
// event of the last one. GBK, for Say().
std::string FormatCallTable(const TraceReport& report, std::size_t count);
std::string FormatCallDetail(const TracedCall& call);

}  // namespace vok::tool
