// The trace as a support bundle carries it: only lines as the library
// writes them (request/trace_grammar.h), read field by field. Numbers,
// times, export names and the library's messages are kept as they are once
// they are shown to be that; every other value goes through the masks
// (bundle/secrets.h), and with --anonymize through the anonymizer. A line
// that is no trace line, or holds an event, a field or a value the library
// does not write, is left out, and a placeholder line says which lines and
// why, never what they held.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vok::tool {

class Anonymizer;

// Why lines were left out.
enum class LineFault {
  kNotATraceLine,  // no time, no pid/tid/call/event, a quote never closed
  kUnknownEvent,
  kUnknownField,  // or one written twice
  kUnlikeValue,   // a value that is not of its field's kind
};

struct LeftOutLines {
  std::size_t first = 0;  // line numbers in the file, from 1
  std::size_t last = 0;
  LineFault fault = LineFault::kNotATraceLine;
  std::string event;  // for kUnknownField and kUnlikeValue: names the library's own
  std::string field;  // for kUnlikeValue
};

// Which lines and why, in the language spoken now (GBK).
std::string DescribeLeftOut(const LeftOutLines& lines);

struct CarriedTrace {
  std::string text;
  std::size_t lines_carried = 0;
  std::size_t lines_left_out = 0;
  std::size_t values_masked = 0;
  std::vector<LeftOutLines> left_out;
};

// A filing document a carried line says a call wrote.
struct WrittenDocument {
  std::string path;  // UTF-8, as the trace holds it
  std::string user;  // the account its call ran as; "" when no beginning of it says
};

// What the carried lines hold, before anything is anonymized.
struct TraceFacts {
  std::set<std::string> accounts, login_users, servers, paths;
  std::map<std::string, std::size_t> calls_by_user;  // "" for calls whose user is not said
  std::vector<WrittenDocument> documents;            // in the order they were written
};

class TraceAllowList {
 public:
  // `anonymizer` may be null.
  explicit TraceAllowList(Anonymizer* anonymizer) : anonymizer_(anonymizer) {}

  // One generation's text; generations go in the order they were written,
  // so that a call begun in the older one is known in the newer.
  CarriedTrace Carry(std::string_view text);

  [[nodiscard]] const TraceFacts& facts() const { return facts_; }

 private:
  Anonymizer* anonymizer_;
  TraceFacts facts_;
  std::map<std::pair<std::string, std::string>, std::string> call_users_;  // (pid, call) -> user
};

}  // namespace vok::tool
