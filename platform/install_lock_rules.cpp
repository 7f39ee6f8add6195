#include "platform/install_lock_rules.h"

#include <algorithm>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/path_parts.h"
#include "platform/program.h"

namespace vok::platform {
namespace {

const ProcessEntry* Find(const std::vector<ProcessEntry>& processes, std::uint32_t id) {
  for (const ProcessEntry& process : processes) {
    if (process.identity.id == id) return &process;
  }
  return nullptr;
}

bool Contains(const std::vector<std::uint32_t>& ids, std::uint32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Whether a process listed under `listed` may run a program file named
// `name`. Windows lists the whole name in any case; Linux keeps its first
// 15 bytes only.
bool ListedAs(std::string_view listed, std::string_view name) {
  constexpr std::size_t kKernelNameLimit = 15;
  if (listed.size() == kKernelNameLimit && name.size() > kKernelNameLimit) {
    name = name.substr(0, kKernelNameLimit);
  }
  return EqualsIgnoringAsciiCase(listed, name);
}

}  // namespace

ProcessFacts LookAtProcesses(const std::string& gbkProgram) {
  ProcessFacts facts;
  facts.processes = ListProcesses();
  facts.self = ProcessId();
  facts.user = CurrentUser();
  facts.look = [gbkProgram](const ProcessEntry& process) {
    return LookAtProcess(process, gbkProgram);
  };
  return facts;
}

std::vector<std::uint32_t> SelfAndAncestors(const std::vector<ProcessEntry>& processes,
                                            std::uint32_t self) {
  std::vector<std::uint32_t> line{self};
  const ProcessEntry* at = Find(processes, self);
  while (at != nullptr && at->parent != 0 && !Contains(line, at->parent)) {
    const ProcessEntry* parent = Find(processes, at->parent);
    // A process that got the id after the child started is no parent of it.
    if (parent == nullptr || parent->identity.start > at->identity.start) break;
    line.push_back(at->parent);
    at = parent;
  }
  return line;
}

RecordedToolVerdict ClassifyRecordedTool(const InstallLockHolder& record, bool thisBoot,
                                         const ProcessFacts& facts) {
  const ProcessIdentity& tool = record.tool;
  if (tool.id == 0) return {RecordedTool::kNone, "no tool"};
  // Without its start a tool cannot be told from a later process of its id.
  if (tool.start == 0) return {RecordedTool::kStale, "its tool has no start time"};
  if (!thisBoot) return {RecordedTool::kStale, "written before the system last started"};
  // The tool itself, and (POSIX) what it started in the group it led.
  std::vector<const ProcessEntry*> running;
  bool id_reused = false;
  for (const ProcessEntry& process : facts.processes) {
    if (process.identity.id == tool.id) {
      if (process.identity.start == tool.start) {
        running.insert(running.begin(), &process);
      } else {
        id_reused = true;
      }
    } else if (record.tool_group != 0 && record.tool_group == tool.id &&
               process.group == record.tool_group && process.identity.start >= tool.start) {
      running.push_back(&process);
    }
  }
  if (running.empty()) {
    return {RecordedTool::kStale,
            id_reused ? "its process id names another process now" : "its tool has ended"};
  }
  const std::vector<std::uint32_t> mine = SelfAndAncestors(facts.processes, facts.self);
  for (const ProcessEntry* process : running) {
    if (Contains(mine, process->identity.id)) return {RecordedTool::kSelf, "it names this process"};
  }
  bool any_running = false;
  for (const ProcessEntry* process : running) {
    const bool is_tool = process->identity.id == tool.id;
    // Told from the list alone, without opening the process.
    if (is_tool && !record.tool_program.empty() &&
        !ListedAs(process->name, FileNameOfPath(record.tool_program))) {
      return {RecordedTool::kStale, "its process id names another program now"};
    }
    const ProcessLook look = facts.look(*process);
    if (look.ended) continue;
    any_running = true;
    // The id and the start are the recorded tool's: what runs there is not
    // what this user's call started when its user or image differ.
    if (look.user && *look.user != facts.user) {
      return {RecordedTool::kStale, "its process runs as another user"};
    }
    if (is_tool && look.runs_program == false) {
      return {RecordedTool::kStale, "its process runs another program"};
    }
    if (!look.user || (is_tool && !look.runs_program)) {
      return {RecordedTool::kUnsure, "its process cannot be looked at"};
    }
  }
  if (!any_running) return {RecordedTool::kStale, "its tool has ended"};
  return {RecordedTool::kMine, "this user's report tool, its caller gone"};
}

std::vector<ProcessEntry> ReportToolsRunning(const ProcessFacts& facts,
                                             const std::string& toolName) {
  std::vector<ProcessEntry> tools;
  const std::vector<std::uint32_t> mine = SelfAndAncestors(facts.processes, facts.self);
  for (const ProcessEntry& process : facts.processes) {
    if (!ListedAs(process.name, toolName) ||
        Contains(mine, process.identity.id)) {
      continue;
    }
    const ProcessLook look = facts.look(process);
    if (!look.ended && look.runs_program != false) tools.push_back(process);
  }
  return tools;
}

// The installations this thread is inside a call on, innermost first. A
// plain pointer: a thread_local with a destructor would pin the DLL in its
// host (the runtime keeps a module with pending thread destructors loaded).
struct InstallationEntry::Node {
  std::string installation;
  Node* outer = nullptr;
};

namespace {

thread_local InstallationEntry::Node* innermost = nullptr;

}  // namespace

std::optional<InstallationEntry> InstallationEntry::Enter(const std::string& installation) {
  if (installation.empty()) return std::nullopt;
  for (const Node* node = innermost; node != nullptr; node = node->outer) {
    if (node->installation == installation) return std::nullopt;
  }
  innermost = new Node{installation, innermost};
  return InstallationEntry(innermost);
}

InstallationEntry::InstallationEntry(InstallationEntry&& other) noexcept
    : node_(std::exchange(other.node_, nullptr)) {}

InstallationEntry& InstallationEntry::operator=(InstallationEntry&& other) noexcept {
  if (this != &other) {
    Leave();
    node_ = std::exchange(other.node_, nullptr);
  }
  return *this;
}

InstallationEntry::~InstallationEntry() { Leave(); }

void InstallationEntry::Leave() noexcept {
  if (node_ == nullptr) return;
  for (Node** link = &innermost; *link != nullptr; link = &(*link)->outer) {
    if (*link == node_) {
      *link = node_->outer;
      break;
    }
  }
  delete std::exchange(node_, nullptr);
}

}  // namespace vok::platform
