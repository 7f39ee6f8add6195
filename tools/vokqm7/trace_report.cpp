#include "trace_report.h"

#include <map>
#include <utility>

#include "language/language.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "show/width.h"

namespace vok::tool {

std::string TracedCall::Value(std::string_view event, std::string_view field) const {
  for (const trace::Line& line : events) {
    const std::string* name = line.Find("event");
    if (name == nullptr || *name != event) continue;
    const std::string* value = line.Find(field);
    return value != nullptr ? *value : std::string();
  }
  return {};
}

bool TracedCall::Ended() const {
  for (const trace::Line& line : events) {
    const std::string* name = line.Find("event");
    if (name != nullptr && *name == "call.end") return true;
  }
  return false;
}

TraceReport ReadTrace(std::string_view text) {
  TraceReport report;
  std::map<std::pair<std::string, std::string>, std::size_t> index;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (raw.empty() || raw == "\r") continue;
    std::optional<trace::Line> line = trace::ParseLine(raw);
    const std::string* pid = line ? line->Find("pid") : nullptr;
    const std::string* call = line ? line->Find("call") : nullptr;
    if (pid == nullptr || call == nullptr || line->Find("event") == nullptr) {
      ++report.unreadable_lines;
      continue;
    }
    const auto key = std::make_pair(*pid, *call);
    const std::string* event = line->Find("event");
    auto found = index.find(key);
    // A process id and call number come back after the process restarted:
    // a new beginning starts a new call.
    if (found == index.end() || *event == "call.begin") {
      report.calls.push_back(TracedCall{*pid, *call, {}});
      found = index.insert_or_assign(key, report.calls.size() - 1).first;
    }
    report.calls[found->second].events.push_back(std::move(*line));
  }
  return report;
}

bool CallFilter::Any() const {
  return failed || !account.empty() || !since.empty() || !export_name.empty();
}

bool CallFilter::Matches(const TracedCall& call) const {
  if (failed && call.Ended() && call.Value("call.end", "result") == "0") return false;
  if (!account.empty() && call.Value("login", "account") != account) return false;
  // Both times are written most significant first, so text order is time order.
  if (!since.empty() && call.events.front().time.compare(0, since.size(), since) < 0) return false;
  return export_name.empty() ||
         platform::EqualsIgnoringAsciiCase(call.Value("call.begin", "export"), export_name);
}

bool IsSinceTime(std::string_view text) {
  // Digits where the pattern has 9, the pattern's own characters elsewhere.
  constexpr std::string_view kPattern = "9999-99-99 99:99:99";
  if (text.size() != 10 && text.size() != 16 && text.size() != 19) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kPattern[i] == '9' ? !digit : text[i] != kPattern[i]) return false;
  }
  return true;
}

TraceReport FilterCalls(const TraceReport& report, const CallFilter& filter) {
  TraceReport kept;
  kept.unreadable_lines = report.unreadable_lines;
  for (const TracedCall& call : report.calls) {
    if (filter.Matches(call)) kept.calls.push_back(call);
  }
  return kept;
}

namespace {

std::string Gbk(std::string_view utf8) { return platform::Utf8ToGbk(utf8); }

// The result cell, UTF-8 as the trace's own cells are.
std::string Result(const TracedCall& call) {
  if (!call.Ended()) return platform::GbkToUtf8(Tr("(no end)"));
  const std::string result = call.Value("call.end", "result");
  return result == "0" ? platform::GbkToUtf8(Tr("ok")) : result;
}

}  // namespace

std::string FormatCallTable(const TraceReport& report, std::size_t count) {
  const std::size_t first =
      count == 0 || count >= report.calls.size() ? 0 : report.calls.size() - count;
  const std::vector<std::string> heads = {
      Tr("when"), Tr("export"),      Tr("account/year/period"), Tr("result"),
      Tr("ms"),   Tr("failed step"), Tr("message")};
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = first; i < report.calls.size(); ++i) {
    const TracedCall& call = report.calls[i];
    const std::string begun = call.events.front().time;
    const std::string account = call.Value("login", "account");
    rows.push_back({begun, call.Value("call.begin", "export"),
                    account.empty() ? "-"
                                    : account + "/" + call.Value("login", "year") + "/" +
                                          call.Value("login", "period"),
                    Result(call), call.Value("call.end", "ms"), call.Value("call.end", "step"),
                    call.Value("call.end", "message")});
  }
  // Widths in columns, the last column left to run on.
  std::vector<int> widths(heads.size(), 0);
  for (std::size_t c = 0; c < heads.size(); ++c) widths[c] = DisplayWidth(heads[c]);
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths[c] = std::max(widths[c], DisplayWidth(Printable(Gbk(row[c]))));
    }
  }
  const auto format_row = [&](const std::vector<std::string>& cells, bool from_utf8) {
    std::string line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const std::string cell = from_utf8 ? Printable(Gbk(cells[c])) : cells[c];
      line += c + 1 == cells.size() ? cell : PadRight(cell, widths[c]) + "  ";
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line + "\n";
  };
  std::string table = format_row(heads, false);
  for (const auto& row : rows) table += format_row(row, true);
  return table;
}

std::string FormatCallDetail(const TracedCall& call) {
  std::string detail;
  for (const trace::Line& line : call.events) {
    std::string text = line.time.substr(11);  // the time of day
    const std::string* event = line.Find("event");
    text += "  " + (event != nullptr ? *event : std::string("?"));
    for (const trace::LineField& field : line.fields) {
      if (field.name == "pid" || field.name == "tid" || field.name == "call" ||
          field.name == "event") {
        continue;
      }
      text += "  " + field.name + "=" + field.value;
    }
    detail += Printable(Gbk(text)) + "\n";
  }
  return detail;
}

}  // namespace vok::tool
