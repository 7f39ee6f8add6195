#include "platform/install_lock_record.h"

#include <cstdlib>

namespace vok::platform {
namespace {

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
      char* rest = nullptr;
      const unsigned long pid = std::strtoul(value.c_str(), &rest, 10);
      has_pid = !value.empty() && *rest == '\0' && pid != 0 && pid <= 0xFFFFFFFFul;
      holder.process_id = static_cast<std::uint32_t>(pid);
    } else if (name == "program") {
      holder.program = value;
    } else if (name == "since") {
      holder.since = value;
    } else if (name == "call") {
      holder.call = value;
    }
  }
  if (!has_pid) return std::nullopt;
  return holder;
}

}  // namespace vok::platform
