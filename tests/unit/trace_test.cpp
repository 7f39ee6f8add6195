// The trace's own parts: its line format read back, and what the core
// records where only the core can be reached (a tool run past its limit, a
// wait for the installation, a full disk under the trace, characters GBK
// lacks in a cell).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "driver/install_lock.h"
#include "driver/report_tool.h"
#include "platform/install_lock.h"
#include "platform/faults.h"
#include "request/trace.h"
#include "request/trace_line.h"
#include "sections/cell_grid.h"
#include "support/test_support.h"

namespace vok::trace {
namespace {

TEST(TraceLine, ReadsBackWhatItWroteAndRefusesWhatItDidNot) {
  const Line line{"2026-12-09 08:01:02.345",
                  {{"pid", "12"},
                   {"event", "tool.start"},
                   {"path", "C:\\vok\\rep_vok.xml"},
                   {"command", "\"C:\\Program Files\\vok\\vokwqm7.exe\" -L{1\t2026}"},
                   {"empty", ""},
                   {"odd", "a=b \"c\" \x01 \x7F \r\n"},
                   {"name", "国税申报"}}};
  const std::string text = FormatLine(line);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_NE(text.find(" path=C:\\vok\\rep_vok.xml "), std::string::npos) << text;
  EXPECT_NE(text.find(" empty=\"\" "), std::string::npos) << text;
  EXPECT_EQ(text.find('\t'), std::string::npos) << "a tab would split the line's fields";
  const std::optional<Line> read = ParseLine(text);
  ASSERT_TRUE(read) << text;
  EXPECT_EQ(read->time, line.time);
  ASSERT_EQ(read->fields.size(), line.fields.size());
  for (std::size_t i = 0; i < line.fields.size(); ++i) {
    EXPECT_EQ(read->fields[i].name, line.fields[i].name);
    EXPECT_EQ(read->fields[i].value, line.fields[i].value) << line.fields[i].name;
  }
  ASSERT_TRUE(ParseLine(text.substr(0, text.size() - 1) + "\r\n"));

  for (const char* bad : {"", "not a trace line", "2026-12-09 08:01:02.345 event",
                          "2026-12-09 08:01:02.345 a=\"open", "2026-12-09 08:01:02.345 a=\"\\q\"",
                          "2026-12-09 08:01:02.345  a=1", "2026-12-09 08:01:02.345 =1"}) {
    EXPECT_FALSE(ParseLine(bad)) << bad;
  }
}

// A trace to a file of a temporary folder for the calls of this test.
class CoreTraceTest : public ::testing::Test {
 protected:
  CoreTraceTest() : env_("VOKQM7_TRACE", file_) {}
  ~CoreTraceTest() override {
    seams::SetInstallWaitLimitMs(0);
    platform::faults::ClearFaults();
  }
  std::string Trace() const { return test::ReadFile(file_); }

  test::TempFolder folder_;
  const std::string file_ = folder_ / "trace.log";
  test::ScopedEnv env_;
};

TEST_F(CoreTraceTest, ToolsPastTheirLimitAndWaitsForTheInstallation) {
  const test::TestInstallation& install = test::SharedInstallation();
  // The holder is a live process of this user: this one.
  const platform::ProcessIdentity me = platform::CurrentProcessIdentity();
  {
    CallTrace call("test");
    ReportToolRun run;
    run.work_file = install.library_location() + "\\voktemp1.rep";
    run.wait_limit_ms = 100;
    run.timeout_message = "timed out";
    const test::ScopedEnv slow("VOKWQM7_SLEEP_MS", "5000");
    char text[64] = {};
    MessageBuffer message(text);
    EXPECT_EQ(RunReportTool(install.library_location(), LoginRequest{}, "2007-02-28", run,
                            message),
              -1);

    std::optional<platform::InstallLock> other =
        platform::InstallLock::ForFolder(install.library_location());
    ASSERT_TRUE(other);
    ASSERT_EQ(other->TryAcquire(), platform::LockOutcome::kTaken);
    ASSERT_TRUE(other->Publish({me.id, "filing.exe", "2026-12-09 08:00:00.000", "GetReportV2",
                                me.start}));
    seams::SetInstallWaitLimitMs(50);
    EXPECT_EQ(InstallLocationLock::Take(install.library_location(), "GetReportDate").outcome(),
              InstallLocationLock::Outcome::kTimedOut);
    call.End(-1, "timed out", "tool run");
  }
  const std::string trace = Trace();
  const std::string waited = "event=install.wait holder_pid=" + std::to_string(me.id) +
                             " holder_program=filing.exe holder_call=GetReportV2 "
                             "holder_since=\"2026-12-09 08:00:00.000\"";
  for (const char* text : {"event=tool.end outcome=\"timed out\"", "event=tool.terminated done=yes",
                           waited.c_str(), "event=install.lock outcome=\"timed out\" waited_ms=",
                           "event=call.end result=-1 message=\"timed out\" step=\"tool run\""}) {
    EXPECT_NE(trace.find(text), std::string::npos) << text << " not in\n" << trace;
  }
}

TEST_F(CoreTraceTest, CellCharactersGbkLacksAreNamedByCellAndCodePoint) {
  const std::string export_path = folder_ / "cells.xml";
  test::WriteFile(export_path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><vok>"
                  "<cell><row1>7</row1><col1>1</col1><row2>7</row2><col2>1</col2>"
                  "<value>\xEA\xB0\x80\xEC\x82\xB0 \xF0\x9F\x98\x80 货币资金</value></cell>"
                  "<cell><row1>7</row1><col1>2</col1><row2>7</row2><col2>2</col2>"
                  "<value>5</value></cell></vok>");
  {
    CallTrace call("test");
    const CellGrid grid = ReadCellExport(export_path);
    EXPECT_EQ(grid.Value(0), test::Gbk("?? ? 货币资金"));
  }
  const std::string trace = Trace();
  EXPECT_NE(trace.find("event=cell.characters_replaced row=7 column=1 "
                       "characters=U+AC00,U+C0B0,U+1F600"),
            std::string::npos)
      << trace;
  EXPECT_EQ(trace.find("column=2"), std::string::npos) << "a cell GBK can hold is not named";
}

TEST_F(CoreTraceTest, AFullDiskUnderTheTraceLeavesTheCallAlone) {
  platform::faults::FailNext(platform::faults::Operation::kWriteTrace, 1000, ENOSPC);
  CallTrace call("test");
  EXPECT_TRUE(Active());
  Record("still.here", {{"n", 1}});
  call.End(0, nullptr, "");
  EXPECT_GE(platform::faults::CallCount(platform::faults::Operation::kWriteTrace), 3);
  EXPECT_EQ(std::filesystem::file_size(file_), 0u);
}

}  // namespace
}  // namespace vok::trace
