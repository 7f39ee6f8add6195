#include "request/trace_grammar.h"

namespace vok::trace {
namespace {

using K = ValueKind;

const EventRule kRules[] = {
    {"call.begin", {{"export", K::kExport}, {"user", K::kUser}}},
    {"call.end",
     {{"result", K::kNumber}, {"message", K::kMessage}, {"step", K::kWord}, {"ms", K::kNumber}}},
    {"login",
     {{"server", K::kServer},
      {"year", K::kNumber},
      {"period", K::kNumber},
      {"account", K::kAccount},
      {"user", K::kUser},
      {"login_date", K::kText},
      {"file_rep", K::kPath},
      {"report_type", K::kText}}},
    {"login.failed",
     {{"reason", K::kWord},
      {"length", K::kNumber},
      {"stopped_at_line", K::kNumber},
      {"stopped_at_column", K::kNumber},
      {"element", K::kText}}},
    {"host.code_page", {{"ansi_code_page", K::kNumber}}},
    {"caller_text.refused", {{"ansi_code_page", K::kNumber}, {"argument", K::kNumber}}},
    {"install.location", {{"source", K::kWord}, {"value", K::kPath}, {"location", K::kPath}}},
    {"install.missing", {{"key", K::kText}, {"value", K::kWord}}},
    {"install.wait",
     {{"holder_pid", K::kNumber},
      {"holder_program", K::kPath},
      {"holder_call", K::kText},
      {"holder_since", K::kText},
      {"holder", K::kWord}}},
    {"install.record_ignored",
     {{"tool_pid", K::kNumber},
      {"tool_program", K::kPath},
      {"holder_pid", K::kNumber},
      {"reason", K::kWord}}},
    {"install.record_dropped",
     {{"tool_pid", K::kNumber},
      {"tool_program", K::kPath},
      {"holder_pid", K::kNumber},
      {"reason", K::kWord}}},
    {"install.orphan_waited_for",
     {{"tool_pid", K::kNumber},
      {"tool_program", K::kPath},
      {"holder_pid", K::kNumber},
      {"reason", K::kWord}}},
    {"install.orphan_not_ended",
     {{"tool_pid", K::kNumber},
      {"tool_program", K::kPath},
      {"holder_pid", K::kNumber},
      {"reason", K::kWord}}},
    {"install.orphan_ended",
     {{"tool_pid", K::kNumber},
      {"tool_program", K::kPath},
      {"holder_pid", K::kNumber},
      {"age_ms", K::kNumber}}},
    {"install.tool_waited_for",
     {{"tool_pid", K::kNumber},
      {"session", K::kNumber},
      {"age_ms", K::kNumber},
      {"user", K::kUser}}},
    {"install.lock",
     {{"outcome", K::kWord},
      {"lock", K::kText},
      {"share_lock", K::kWord},
      {"waited_ms", K::kNumber}}},
    {"install.lock_refused", {{"reason", K::kWord}, {"detail", K::kText}}},
    {"install.lock_failed", {{"lock", K::kText}, {"error", K::kNumber}}},
    {"file.removed", {{"what", K::kWord}, {"file", K::kPath}}},
    {"file.not_removed",
     {{"what", K::kWord}, {"file", K::kPath}, {"delete", K::kWord}, {"error", K::kNumber}}},
    {"template.missing", {{"template", K::kPath}}},
    {"template.staged", {{"template", K::kPath}, {"work_file", K::kPath}}},
    {"template.copy_failed",
     {{"template", K::kPath}, {"work_file", K::kPath}, {"error", K::kNumber}}},
    {"work_file.made_writable",
     {{"work_file", K::kPath}, {"done", K::kWord}, {"error", K::kNumber}}},
    {"tool.start", {{"command", K::kCommand}}},
    {"tool.not_started", {{"error", K::kNumber}, {"reason", K::kWord}, {"folder", K::kPath}}},
    {"tool.started", {{"tool_pid", K::kNumber}, {"ends_with_host", K::kWord}}},
    {"tool.not_recorded", {{"terminated", K::kWord}}},
    {"tool.end", {{"outcome", K::kWord}, {"exit_code", K::kNumber}, {"ms", K::kNumber}}},
    {"tool.terminated", {{"done", K::kWord}, {"error", K::kNumber}}},
    {"export.missing", {{"file", K::kPath}, {"reason", K::kWord}}},
    {"export.found", {{"file", K::kPath}, {"bytes", K::kNumber}}},
    {"export.kept", {{"target", K::kPath}}},
    {"export.not_kept", {{"reason", K::kWord}, {"target", K::kPath}, {"error", K::kNumber}}},
    {"cell.characters_replaced",
     {{"row", K::kNumber}, {"column", K::kNumber}, {"characters", K::kText}}},
    {"section.written",
     {{"writer", K::kWord},
      {"export", K::kPath},
      {"records", K::kNumber},
      {"items", K::kNumber},
      {"ms", K::kNumber}}},
    {"section.failed",
     {{"writer", K::kWord}, {"export", K::kPath}, {"step", K::kWord}, {"reason", K::kText}}},
    {"report_type.unsupported", {{"report_type", K::kText}}},
    {"output.written", {{"path", K::kPath}, {"bytes", K::kNumber}}},
    {"output.failed", {{"path", K::kPath}, {"bytes", K::kNumber}, {"error", K::kNumber}}},
    {"interactive.start", {{"command", K::kCommand}}},
    {"interactive.not_started", {{"error", K::kNumber}}},
};

constexpr std::string_view kExportNames[] = {"GetVersionQM7",   "GetReport",   "GetReportDate",
                                             "GetReportDateV2", "GetReportV2", "OpenReportV2"};

}  // namespace

const FieldRule* EventRule::Find(std::string_view field) const {
  for (const FieldRule& rule : fields) {
    if (field == rule.name) return &rule;
  }
  return nullptr;
}

const EventRule* EventRules() { return kRules; }
std::size_t EventRuleCount() { return sizeof kRules / sizeof kRules[0]; }

const EventRule* FindEventRule(std::string_view event) {
  for (const EventRule& rule : kRules) {
    if (event == rule.name) return &rule;
  }
  return nullptr;
}

bool IsExportName(std::string_view name) {
  for (const std::string_view known : kExportNames) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace vok::trace
