#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "driver/report_tool.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "request/messages.h"
#include "support/test_support.h"

namespace vok {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

class ReportToolTest : public ::testing::Test {
 protected:
  ReportToolTest() {
    login_.account_code = "001";
    login_.year = 2007;
    login_.server = "acct srv";
    run_.work_file = install_.location() + "\\voktemp1.rep";
    run_.wait_limit_ms = 60000;
    run_.launch_failure_message = "launch";
    run_.timeout_message = "timeout";
    run_.missing_output_message = "no output";
    run_.keep_target = install_.location() + "\\rep_vok1.xml";
    run_.keep_failure_message = "keep";
    WriteFile(Os("voktemp1.rep"), "<vok>cells</vok>");
  }

  std::string Os(const char* name) const { return install_.InLocation(name); }
  std::int32_t Run() { return RunReportTool(install_.location(), login_, "2007-02-28", run_, message_); }

  test::TestInstallation install_;
  LoginRequest login_;
  ReportToolRun run_;
  char buffer_[64] = "untouched";
  MessageBuffer message_{buffer_};
};

TEST_F(ReportToolTest, RunsTheToolAndKeepsItsExport) {
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(install_.BatchCommandTail(),
            "-LQM7_VOK{001 2007 2007-02-28 \"acct srv\" \"" + install_.location() +
                "\\voktemp1.rep\" 0 }");
  EXPECT_EQ(ReadFile(Os("rep_vok.xml")), "<vok>cells</vok>");
  EXPECT_EQ(ReadFile(Os("rep_vok1.xml")), "<vok>cells</vok>");
  EXPECT_FALSE(Exists(Os("voktemp1.rep")));
  EXPECT_STREQ(buffer_, "untouched");
}

TEST_F(ReportToolTest, ExitCodeIsNotLookedAt) {
  test::ScopedEnv code("VOKWQM7_EXIT_CODE", "7");
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Exists(Os("rep_vok1.xml")));
}

TEST_F(ReportToolTest, MissingOutputKeepsTheWorkFile) {
  WriteFile(Os("rep_vok.xml"), "left by an earlier run");
  test::ScopedEnv silent("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(Run(), -1);
  EXPECT_STREQ(buffer_, "no output");
  EXPECT_TRUE(Exists(Os("voktemp1.rep")));
  EXPECT_FALSE(Exists(Os("rep_vok.xml")));
  EXPECT_FALSE(Exists(Os("rep_vok1.xml")));
}

TEST_F(ReportToolTest, ToolThatCannotStart) {
  std::filesystem::remove(Os("vokwqm7.exe"));
  EXPECT_EQ(Run(), -1);
  EXPECT_STREQ(buffer_, "launch");
  EXPECT_TRUE(Exists(Os("voktemp1.rep")));
}

TEST_F(ReportToolTest, ToolStillRunningAtTheLimitIsEnded) {
  // The tool would copy its output after a second; ended at 100 ms, it never does.
  test::ScopedEnv slow("VOKWQM7_SLEEP_MS", "1000");
  run_.wait_limit_ms = 100;
  EXPECT_EQ(Run(), -1);
  EXPECT_STREQ(buffer_, "timeout");
  EXPECT_TRUE(Exists(Os("voktemp1.rep")));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(Exists(Os("rep_vok.xml")));
}

TEST_F(ReportToolTest, KeepTargetThatCannotBeWritten) {
  run_.keep_target = install_.location() + "\\no-such-folder\\copy.xml";
  EXPECT_EQ(Run(), -1);
  EXPECT_STREQ(buffer_, "keep");
  EXPECT_TRUE(Exists(Os("rep_vok.xml")));
  EXPECT_FALSE(Exists(Os("voktemp1.rep")));
}

TEST_F(ReportToolTest, ExistingKeepTargetIsReplaced) {
  WriteFile(Os("rep_vok1.xml"), "an older and much longer export than the new one");
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(ReadFile(Os("rep_vok1.xml")), "<vok>cells</vok>");
}

TEST_F(ReportToolTest, CallersKeepTargetIsTrimmed) {
  run_.keep_target_from_caller = true;
  run_.keep_target = " \t" + install_.location() + "\\mine.xml\r\n";
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(ReadFile(Os("mine.xml")), "<vok>cells</vok>");
}

TEST_F(ReportToolTest, BlankCallersKeepTargetFailsAfterTheRun) {
  run_.keep_target_from_caller = true;
  run_.keep_target = " \t\n ";
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(std::string(buffer_), msg::kNoDataFilePath);
  EXPECT_TRUE(Exists(Os("rep_vok.xml")));      // the tool ran
  EXPECT_FALSE(Exists(Os("voktemp1.rep")));    // and its work file is gone
}

TEST_F(ReportToolTest, TrailingNumberAndShortYearReachTheTool) {
  run_.trailing_number = -1;
  login_.year = 95;
  ASSERT_EQ(Run(), 0);
  const std::string tail = install_.BatchCommandTail();
  EXPECT_NE(tail.find("{001   95 2007-02-28 "), std::string::npos) << tail;
  EXPECT_EQ(tail.substr(tail.size() - 5), " -1 }");
}

// The export a run finds must be the tool's own: not an earlier one that a
// delete reporting success left in place (a virtualized folder uncovering
// the real file), not one last written before the tool started.
TEST_F(ReportToolTest, OnlyAnExportTheToolWroteCounts) {
  using platform::faults::Operation;
  const struct {
    const char* name;
    bool leftover;          // an earlier, hour-old export is there
    bool delete_leaves_it;  // the delete of it reports success, leaves it
    const char* no_output;  // VOKWQM7_NO_OUTPUT
    const char* backdate;   // VOKWQM7_BACKDATE_S: how old the tool's export looks
    std::int32_t result;
  } kCases[] = {
      {"fresh export", false, false, "", "0", 0},
      {"earlier export removed first", true, false, "", "0", 0},
      {"delete reported success, tool wrote nothing", true, true, "1", "0", -1},
      {"delete reported success, tool wrote anew", true, true, "", "0", 0},
      {"export older than the tool's start", false, false, "", "60", -1},
      {"export a second old: a two-second clock", false, false, "", "1", 0},
  };
  for (const auto& c : kCases) {
    std::filesystem::remove(Os("rep_vok.xml"));
    std::filesystem::remove(Os("rep_vok1.xml"));
    WriteFile(Os("voktemp1.rep"), "<vok>cells</vok>");
    if (c.leftover) {
      WriteFile(Os("rep_vok.xml"), "<vok>last month</vok>");
      ASSERT_TRUE(platform::SetLastWriteTime(Os("rep_vok.xml"), platform::FileTimeNow(3600)));
    }
    if (c.delete_leaves_it) platform::faults::FailNth(Operation::kDeleteLeavesFile, 1, 1);
    test::ScopedEnv no_output("VOKWQM7_NO_OUTPUT", c.no_output);
    test::ScopedEnv backdate("VOKWQM7_BACKDATE_S", c.backdate);
    std::snprintf(buffer_, sizeof buffer_, "untouched");
    EXPECT_EQ(Run(), c.result) << c.name;
    platform::faults::ClearFaults();
    if (c.result == 0) {
      EXPECT_EQ(ReadFile(Os("rep_vok1.xml")), "<vok>cells</vok>") << c.name;
    } else {
      EXPECT_STREQ(buffer_, "no output") << c.name;
      EXPECT_FALSE(Exists(Os("rep_vok1.xml"))) << c.name;
    }
  }
}

// Not in the host's current folder, which may be a stick or a share.
TEST_F(ReportToolTest, ToolStartsInItsOwnFolder) {
  test::TempFolder elsewhere;
  const std::string where = elsewhere / "where.txt";
  test::ScopedEnv report("VOKWQM7_WHERE", where);
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(ReadFile(where), "own folder");
}

}  // namespace
}  // namespace vok
