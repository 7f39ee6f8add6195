#include "bundle/trace_allow_list.h"

#include <optional>

#include "bundle/anonymizer.h"
#include "bundle/decoded_views.h"
#include "bundle/secrets.h"
#include "language/language.h"
#include "platform/codepage.h"
#include "request/messages.h"
#include "request/trace_grammar.h"
#include "request/trace_line.h"

namespace vok::tool {
namespace {

using trace::ValueKind;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumber(std::string_view value) {
  if (!value.empty() && value[0] == '-') value.remove_prefix(1);
  if (value.empty() || value.size() > 20) return false;
  for (const char c : value) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// `value` laid out as `pattern`, where '9' stands for a digit.
bool FitsPattern(std::string_view value, std::string_view pattern) {
  if (value.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (pattern[i] == '9' ? !IsDigit(value[i]) : value[i] != pattern[i]) return false;
  }
  return true;
}

bool IsWord(std::string_view value) {
  if (value.empty()) return false;
  for (const char c : value) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c);
    if (!letter && std::string_view(" _.,'()-").find(c) == std::string_view::npos) return false;
  }
  return true;
}

bool IsMessage(std::string_view value) {
  static const std::set<std::string> messages = [] {
    std::set<std::string> utf8;
    for (const char* message : msg::kCatalogue) utf8.insert(platform::GbkToUtf8(message));
    return utf8;
  }();
  return messages.count(std::string(value)) > 0;
}

bool IsUtf8(std::string_view value) {
  for (std::size_t at = 0; at < value.size();) {
    const std::size_t length = Utf8CharacterAt(value, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

// Whether `value` is of `kind`; values from outside the library may be any
// text, but a text the library converted from GBK.
bool IsOfKind(std::string_view value, ValueKind kind) {
  switch (kind) {
    case ValueKind::kNumber:
      return IsNumber(value);
    case ValueKind::kWord:
      return IsWord(value);
    case ValueKind::kExport:
      return trace::IsExportName(value);
    case ValueKind::kMessage:
      return IsMessage(value);
    default:
      return IsUtf8(value);
  }
}

bool IsFreeKind(ValueKind kind) {
  return kind != ValueKind::kNumber && kind != ValueKind::kExport && kind != ValueKind::kMessage;
}

std::string Anonymized(Anonymizer& anonymizer, ValueKind kind, const std::string& value) {
  switch (kind) {
    case ValueKind::kAccount:
      return anonymizer.Account(value);
    case ValueKind::kUser:
      return anonymizer.User(value);
    case ValueKind::kServer:
      return anonymizer.Server(value);
    case ValueKind::kPath:
      return anonymizer.Path(value);
    case ValueKind::kCommand:
      return anonymizer.Command(value);
    default:
      return anonymizer.Text(value);
  }
}

// A line checked against the grammar: its event's rule, or why it fails.
struct Checked {
  const trace::EventRule* rule = nullptr;
  std::optional<LeftOutLines> fault;
};

Checked Check(const trace::Line& line) {
  Checked checked;
  const auto fails = [&](LineFault fault, std::string event = {}, std::string field = {}) {
    checked.fault = LeftOutLines{0, 0, fault, std::move(event), std::move(field)};
    return checked;
  };
  if (!FitsPattern(line.time, "9999-99-99 99:99:99.999") || line.fields.size() < 4) {
    return fails(LineFault::kNotATraceLine);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    if (line.fields[i].name != trace::kLeadingFields[i]) return fails(LineFault::kNotATraceLine);
    if (i < 3 && !IsNumber(line.fields[i].value)) return fails(LineFault::kNotATraceLine);
  }
  checked.rule = trace::FindEventRule(line.fields[3].value);
  if (checked.rule == nullptr) return fails(LineFault::kUnknownEvent);
  const std::string event = checked.rule->name;
  std::set<std::string_view> seen;
  for (std::size_t i = 4; i < line.fields.size(); ++i) {
    const trace::LineField& field = line.fields[i];
    const bool last = i + 1 == line.fields.size();
    const trace::FieldRule* rule = checked.rule->Find(field.name);
    if (last && field.name == trace::kDroppedLinesField) {
      if (!IsNumber(field.value)) return fails(LineFault::kUnlikeValue, event, field.name);
      continue;
    }
    if (rule == nullptr || !seen.insert(field.name).second) {
      return fails(LineFault::kUnknownField, event);
    }
    if (!IsOfKind(field.value, rule->kind))
      return fails(LineFault::kUnlikeValue, event, rule->name);
  }
  return checked;
}

bool SameFault(const LeftOutLines& a, const LeftOutLines& b) {
  return a.fault == b.fault && a.event == b.event && a.field == b.field;
}

std::string Placeholder(const LeftOutLines& lines) {
  std::string which = std::to_string(lines.first);
  if (lines.last != lines.first) which += "-" + std::to_string(lines.last);
  return "-- vokqm7 support-bundle: line(s) " + which +
         " left out: " + platform::GbkToUtf8(DescribeLeftOut(lines)) + "\n";
}

}  // namespace

std::string DescribeLeftOut(const LeftOutLines& lines) {
  switch (lines.fault) {
    case LineFault::kNotATraceLine:
      return Tr("not a line of the library's trace");
    case LineFault::kUnknownEvent:
      return Tr("an event the library does not write");
    case LineFault::kUnknownField:
      return TrF("a field the library does not write in %s lines", lines.event);
    case LineFault::kUnlikeValue:
      return TrF("a value of %s that is not of the kind the library writes in %s lines",
                 lines.field, lines.event);
  }
  return {};
}

CarriedTrace TraceAllowList::Carry(std::string_view text) {
  CarriedTrace carried;
  // The lines left out for one reason, one after another, go as one.
  LeftOutLines run;
  bool in_run = false;
  const auto flush = [&] {
    if (!in_run) return;
    carried.text += Placeholder(run);
    carried.left_out.push_back(run);
    in_run = false;
  };
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view raw = text.substr(start, end - start);
    start = end;
    ++number;
    if (raw == "\n" || raw == "\r\n") continue;  // holds nothing
    std::optional<trace::Line> line = trace::ParseLine(raw);
    Checked checked;
    if (line) {
      checked = Check(*line);
    } else {
      checked.fault = LeftOutLines{};
    }
    if (checked.fault) {
      ++carried.lines_left_out;
      if (in_run && SameFault(run, *checked.fault) && run.last + 1 == number) {
        run.last = number;
      } else {
        flush();
        run = *checked.fault;
        run.first = run.last = number;
        in_run = true;
      }
      continue;
    }
    flush();
    ++carried.lines_carried;
    const std::string& pid = line->fields[0].value;
    const std::string& call = line->fields[2].value;
    const std::string event = checked.rule->name;
    for (std::size_t i = 4; i < line->fields.size(); ++i) {
      trace::LineField& field = line->fields[i];
      const trace::FieldRule* rule = checked.rule->Find(field.name);
      if (rule == nullptr || !IsFreeKind(rule->kind)) continue;
      carried.values_masked += MaskText(field.value, TextEncoding::kUtf8);
      if (event == "call.begin" && field.name == "user") {
        call_users_[{pid, call}] = field.value;
        ++facts_.calls_by_user[field.value];
      }
      if (event == "login" && rule->kind == ValueKind::kAccount)
        facts_.accounts.insert(field.value);
      if (event == "login" && rule->kind == ValueKind::kUser)
        facts_.login_users.insert(field.value);
      if (event == "login" && rule->kind == ValueKind::kServer) facts_.servers.insert(field.value);
      if (rule->kind == ValueKind::kPath) facts_.paths.insert(field.value);
      if (event == "output.written" && field.name == "path") {
        const auto user = call_users_.find({pid, call});
        facts_.documents.push_back(
            {field.value, user != call_users_.end() ? user->second : std::string()});
      }
      if (anonymizer_ != nullptr) field.value = Anonymized(*anonymizer_, rule->kind, field.value);
    }
    if (event == "call.begin" && line->Find("user") == nullptr) {
      call_users_.erase({pid, call});
      ++facts_.calls_by_user[""];
    }
    carried.text += trace::FormatLine(*line);
  }
  flush();
  return carried;
}

}  // namespace vok::tool
