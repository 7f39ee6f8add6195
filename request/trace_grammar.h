// What the library's trace lines may hold, event by event: each field an
// event is written with and the kind of its value. A support bundle carries
// a trace line only as this table describes it, so an event or a field the
// library starts to write goes into the table in the same change
// (tests/tool/trace_grammar_test.cpp finds any the code writes that it
// lacks). A value read from a file another account may write (an
// installation lock's record) is of a free kind, never one the bundle
// keeps unmasked.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace vok::trace {

enum class ValueKind {
  kNumber,   // a decimal integer, maybe negative
  kWord,     // a fixed word or phrase of the library's own: "exited", "yes"
  kExport,   // the name of one of the exported functions
  kMessage,  // one of the library's messages (request/messages.h), as UTF-8
  kPath,     // a file or folder path
  kAccount,  // an account code, as the caller passed it
  kUser,     // a login's user ID, or the account a process runs as
  kServer,   // an accounting server, as the caller named it
  kCommand,  // a report tool's command line, login fields inside
  kText,     // any other text from outside the library: a date the caller
             // passed, a reason in the system's words
};

struct FieldRule {
  const char* name;
  ValueKind kind;
};

struct EventRule {
  const char* name;
  std::initializer_list<FieldRule> fields;

  [[nodiscard]] const FieldRule* Find(std::string_view field) const;
};

// The fields every line starts with, in this order ("event" last), and the
// one that may end any line.
inline constexpr const char* kLeadingFields[] = {"pid", "tid", "call", "event"};
inline constexpr char kDroppedLinesField[] = "dropped_lines";

// Every event the library writes.
[[nodiscard]] const EventRule* EventRules();
[[nodiscard]] std::size_t EventRuleCount();
[[nodiscard]] const EventRule* FindEventRule(std::string_view event);

// The names of the exported functions, as call.begin names them.
[[nodiscard]] bool IsExportName(std::string_view name);

}  // namespace vok::trace
