// The decisions both platform layers share, as pure functions over the
// facts a layer reports: what a record's tool is to its user's next call,
// which processes that call waits for, and one call per thread and
// installation.
#include <gtest/gtest.h>

#include <thread>

#include "platform/install_lock_rules.h"

namespace vok::platform {
namespace {

constexpr std::uint32_t kSelf = 100;
constexpr std::uint32_t kTool = 200;
constexpr std::uint64_t kStart = 5000;
const char kToolPath[] = "C:\\pkg\\vok\\vokwqm7.exe";

ProcessEntry Listed(std::uint32_t id, std::uint64_t start, const char* name,
                    std::uint32_t parent = 1, std::uint32_t group = 0) {
  return ProcessEntry{{id, start}, parent, group, 1, name};
}

struct Look {
  const char* user = "me";  // nullptr: cannot be told
  int runs = 1;             // 1 the tool's file, 0 another, -1 cannot be told
  bool ended = false;       // it ended between the list and the look
};

TEST(RecordedTool, TheListDecidesWhatALookCannot) {
  const struct {
    const char* name;
    std::vector<ProcessEntry> also;  // listed besides this process
    bool this_boot;
    Look look;
    std::uint32_t group;  // the process group the record's tool led
    RecordedTool expected;
    bool waited;  // a call waits for what is listed, before or after the record
  } kCases[] = {
      {"the tool runs, looked at", {Listed(kTool, kStart, "vokwqm7.exe")}, true, {}, 0,
       RecordedTool::kMine, true},
      {"the tool's name in another case", {Listed(kTool, kStart, "VOKWQM7.EXE")}, true, {}, 0,
       RecordedTool::kMine, true},
      {"gone", {}, true, {}, 0, RecordedTool::kStale, false},
      {"its id has another start now", {Listed(kTool, kStart + 1, "vokwqm7.exe")}, true, {}, 0,
       RecordedTool::kStale, true},
      {"its id runs another program (from the list)", {Listed(kTool, kStart, "svchost.exe")},
       true, {nullptr, -1}, 0, RecordedTool::kStale, false},
      {"its id runs another file of the same name", {Listed(kTool, kStart, "vokwqm7.exe")}, true,
       {"me", 0}, 0, RecordedTool::kStale, false},
      {"its id runs as another user", {Listed(kTool, kStart, "vokwqm7.exe")}, true,
       {"someone", 1}, 0, RecordedTool::kStale, true},
      {"written before the last boot", {Listed(kTool, kStart, "vokwqm7.exe")}, false, {}, 0,
       RecordedTool::kStale, true},
      {"the tool cannot be opened", {Listed(kTool, kStart, "vokwqm7.exe")}, true,
       {nullptr, -1}, 0, RecordedTool::kUnsure, true},
      {"the tool's image cannot be read", {Listed(kTool, kStart, "vokwqm7.exe")}, true,
       {"me", -1}, 0, RecordedTool::kUnsure, true},
      {"the tool ended between the list and the look", {Listed(kTool, kStart, "vokwqm7.exe")},
       true, {nullptr, -1, true}, 0, RecordedTool::kStale, false},
      {"the tool is gone, what it led lives on",
       {Listed(300, kStart + 9, "helper.exe", kTool, kTool)}, true, {"me", 0}, kTool,
       RecordedTool::kMine, false},
      {"what it led lives on as another user",
       {Listed(300, kStart + 9, "helper.exe", kTool, kTool)}, true, {"someone", 0}, kTool,
       RecordedTool::kStale, false},
      {"a group member older than the tool is another group's",
       {Listed(300, kStart - 9, "helper.exe", 1, kTool)}, true, {}, kTool, RecordedTool::kStale,
       false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ProcessFacts facts;
    facts.processes = {Listed(kSelf, kStart + 100, "client.exe")};
    facts.processes.insert(facts.processes.end(), c.also.begin(), c.also.end());
    facts.self = kSelf;
    facts.user = "me";
    facts.look = [&c](const ProcessEntry&) {
      ProcessLook look;
      look.ended = c.look.ended;
      if (c.look.user != nullptr) look.user = c.look.user;
      if (c.look.runs >= 0) look.runs_program = c.look.runs == 1;
      return look;
    };
    InstallLockHolder record{42, "client.exe", "", "GetReportDate"};
    record.tool = {kTool, kStart};
    record.tool_group = c.group;
    record.tool_program = kToolPath;
    EXPECT_EQ(ClassifyRecordedTool(record, c.this_boot, facts).what, c.expected);
    EXPECT_EQ(!ReportToolsRunning(facts, "vokwqm7.exe").empty(), c.waited);
  }
}

// Neither this process nor one it descends from is ever a tool to end or
// to wait for, whatever its name; a parent id that a later process took
// is no parent.
TEST(RecordedTool, NeverThisProcessOrItsAncestors) {
  ProcessFacts facts;
  facts.processes = {Listed(kSelf, kStart + 100, "vokwqm7.exe", kTool),
                     Listed(kTool, kStart, "vokwqm7.exe", 7), Listed(7, kStart + 500, "x.exe")};
  facts.self = kSelf;
  facts.user = "me";
  facts.look = [](const ProcessEntry&) { return ProcessLook{false, "me", true}; };
  EXPECT_EQ(SelfAndAncestors(facts.processes, kSelf), (std::vector<std::uint32_t>{kSelf, kTool}));
  InstallLockHolder record{42, "client.exe", "", "GetReportDate"};
  record.tool_program = kToolPath;
  for (const std::uint32_t id : {kSelf, kTool}) {
    record.tool = {id, id == kSelf ? kStart + 100 : kStart};
    EXPECT_EQ(ClassifyRecordedTool(record, true, facts).what, RecordedTool::kSelf) << id;
  }
  EXPECT_TRUE(ReportToolsRunning(facts, "vokwqm7.exe").empty());
  // Linux keeps 15 bytes of a program's name.
  facts.processes.push_back(Listed(400, kStart, "vokwqm7-longer-"));
  EXPECT_EQ(ReportToolsRunning(facts, "vokwqm7-longer-name.exe").size(), 1u);
}

TEST(InstallationEntry, OneCallPerThreadAndInstallation) {
  std::optional<InstallationEntry> outer = InstallationEntry::Enter("A");
  ASSERT_TRUE(outer);
  EXPECT_FALSE(InstallationEntry::Enter("A")) << "entered twice on one thread";
  std::optional<InstallationEntry> other = InstallationEntry::Enter("B");
  EXPECT_TRUE(other) << "another installation is another lock";
  bool elsewhere = false;
  std::thread([&] { elsewhere = InstallationEntry::Enter("A").has_value(); }).join();
  EXPECT_TRUE(elsewhere) << "another thread waits on the lock, not here";
  // Moved (as the lock that keeps it is), it still marks the thread.
  std::optional<InstallationEntry> moved = std::move(outer);
  outer.reset();
  EXPECT_FALSE(InstallationEntry::Enter("A"));
  moved.reset();
  EXPECT_TRUE(InstallationEntry::Enter("A")) << "left with its last owner";
}

}  // namespace
}  // namespace vok::platform
