#include "platform/install_lock_record.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace vok::platform {
namespace {

// A whole decimal number of at most `max`; nothing for anything else.
std::optional<std::uint64_t> Number(const std::string& value, std::uint64_t max) {
  if (value.empty() || value[0] < '0' || value[0] > '9') return std::nullopt;
  char* rest = nullptr;
  errno = 0;
  const unsigned long long n = std::strtoull(value.c_str(), &rest, 10);
  if (*rest != '\0' || errno == ERANGE || n > max) return std::nullopt;
  return n;
}

void AddField(std::string& record, const char* name, std::string value) {
  for (char& c : value) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  record += name;
  record += '=';
  record += value;
  record += '\n';
}

}  // namespace

std::string FormatHolderRecord(const InstallLockHolder& holder) {
  std::string record;
  AddField(record, "pid", std::to_string(holder.process_id));
  AddField(record, "program", holder.program);
  AddField(record, "since", holder.since);
  AddField(record, "call", holder.call);
  AddField(record, "start", std::to_string(holder.process_start));
  AddField(record, "boot", holder.boot);
  if (holder.tool.id != 0) {
    AddField(record, "tool_pid", std::to_string(holder.tool.id));
    AddField(record, "tool_start", std::to_string(holder.tool.start));
    AddField(record, "tool", holder.tool_program);
    if (holder.tool_group != 0) AddField(record, "tool_group", std::to_string(holder.tool_group));
  }
  return record;
}

std::optional<InstallLockHolder> ParseHolderRecord(std::string_view bytes) {
  InstallLockHolder holder;
  bool has_pid = false;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, equals);
    const std::string value(line.substr(equals + 1));
    if (name == "pid") {
      const std::optional<std::uint64_t> pid = Number(value, 0xFFFFFFFFu);
      has_pid = pid && *pid != 0;
      holder.process_id = static_cast<std::uint32_t>(pid.value_or(0));
    } else if (name == "start") {
      holder.process_start = Number(value, UINT64_MAX).value_or(0);
    } else if (name == "tool_pid") {
      holder.tool.id = static_cast<std::uint32_t>(Number(value, 0xFFFFFFFFu).value_or(0));
    } else if (name == "tool_start") {
      holder.tool.start = Number(value, UINT64_MAX).value_or(0);
    } else if (name == "tool_group") {
      holder.tool_group = static_cast<std::uint32_t>(Number(value, 0xFFFFFFFFu).value_or(0));
    } else if (name == "tool") {
      holder.tool_program = value;
    } else if (name == "program") {
      holder.program = value;
    } else if (name == "since") {
      holder.since = value;
    } else if (name == "call") {
      holder.call = value;
    } else if (name == "boot") {
      holder.boot = value;
    }
  }
  if (!has_pid) return std::nullopt;
  return holder;
}

}  // namespace vok::platform
