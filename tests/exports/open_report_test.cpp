// OpenReportV2 end to end, with the stand-in interactive tool.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "export_test_support.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

std::string OpenLogin(const std::string& password, const std::string& year = "2007",
                      bool with_period = true) {
  return "<Info><LoginInfo><AccountCode>001</AccountCode><UserID>admin</UserID>"
         "<Password>" + password + "</Password><LoginDate>2007-03-05</LoginDate>"
         "<Year>" + year + "</Year>" + (with_period ? "<Period>3</Period>" : "") +
         "<Server>acct-srv</Server><FileRep>C:\\reports\\a.rep</FileRep></LoginInfo></Info>";
}

// The tool runs on its own; give it time to record its command line.
// The tool makes its file first and writes it after: wait for its bytes.
std::string WaitForCommand(const TestInstallation& install) {
  const std::string args = install.InLocation("vokdesk.args");
  for (int i = 0; i < 200 && (!Exists(args) || ReadFile(args).empty()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return ReadFile(args);
}

class OpenReportTest : public ::testing::Test {
 protected:
  OpenReportTest() : install_(SharedInstallation()) {
    std::error_code ignored;
    std::filesystem::remove(install_.InLocation("vokdesk.args"), ignored);
  }
  const TestInstallation& install_;
  Buffer buffer_;
};

TEST_F(OpenReportTest, StartsTheToolWithTheLoginCommand) {
  ASSERT_EQ(OpenReportV2(OpenLogin("pw").c_str(), buffer_.bytes), 0);
  EXPECT_TRUE(buffer_.Untouched());
  EXPECT_EQ(WaitForCommand(install_),
            "-L{001\t2007\tadmin\tpw\t2007-03-05\tacct-srv\tC:\\reports\\a.rep}");
}

TEST_F(OpenReportTest, EmptyPasswordAndShortYear) {
  ASSERT_EQ(OpenReportV2(OpenLogin("", "95").c_str(), buffer_.bytes), 0);
  EXPECT_EQ(WaitForCommand(install_),
            "-L{001\t  95\tadmin\t\t2007-03-05\tacct-srv\tC:\\reports\\a.rep}");
}

TEST_F(OpenReportTest, ReturnsWithoutWaitingForTheTool) {
  ScopedEnv slow("VOKDESK_SLEEP_MS", "1500");
  ASSERT_EQ(OpenReportV2(OpenLogin("pw").c_str(), buffer_.bytes), 0);
  EXPECT_FALSE(Exists(install_.InLocation("vokdesk.args")));
  EXPECT_NE(WaitForCommand(install_).find("-L{001"), std::string::npos);
}

TEST_F(OpenReportTest, PeriodIsRequiredThoughUnused) {
  EXPECT_EQ(OpenReportV2(OpenLogin("pw", "2007", false).c_str(), buffer_.bytes), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("分析输入参数错误!")));
}

TEST_F(OpenReportTest, ToolThatCannotStart) {
  const std::string tool = install_.InLocation("vokdesk.exe");
  const std::string aside = install_.InLocation("vokdesk.aside");
  std::filesystem::rename(tool, aside);
  const int result = OpenReportV2(OpenLogin("pw").c_str(), buffer_.bytes);
  std::filesystem::rename(aside, tool);
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("在生成数据时,调用接口程序失败!")));
}

}  // namespace
}  // namespace vok::test
