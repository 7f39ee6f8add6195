// What every export does before its own work: parse the login, find the
// installation, and never hurt the host whatever it is given.
#include <gtest/gtest.h>

#include "export_test_support.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

const std::string kLogin = BatchLogin("001", "2007", "2", "srv");

TEST(VersionTest, AlwaysTwo) {
  EXPECT_EQ(GetVersionQM7(), 2);
  Buffer buffer;
  GetReportDate("junk", "out.xml", buffer.bytes);
  EXPECT_EQ(GetVersionQM7(), 2);
}

TEST(FrameTest, UnreadableLoginFailsEveryExport) {
  SharedInstallation();
  const std::string parse_failed = Gbk("分析输入参数错误!");
  for (const char* login : {"", "not xml", "<Info><LoginInfo></LoginInfo></Info>", "<Info>"}) {
    Buffer a, b, c, d, e;
    EXPECT_EQ(GetReportDate(login, "out.xml", a.bytes), -1);
    EXPECT_EQ(GetReportDateV2(login, "out.xml", b.bytes), -1);
    EXPECT_EQ(GetReportV2(login, "out.xml", c.bytes), -1);
    EXPECT_EQ(GetReport(login, 0, "t.rep", "d.xml", d.bytes), -1);
    EXPECT_EQ(OpenReportV2(login, e.bytes), -1);
    for (Buffer* buffer : {&a, &b, &c, &d, &e}) EXPECT_TRUE(buffer->Holds(parse_failed)) << login;
  }
}

TEST(FrameTest, NullArgumentsNeverCrash) {
  SharedInstallation();
  const std::string parse_failed = Gbk("分析输入参数错误!");
  Buffer buffer;
  EXPECT_EQ(GetReport(nullptr, 0, nullptr, nullptr, buffer.bytes), -1);
  EXPECT_TRUE(buffer.Holds(parse_failed));
  EXPECT_EQ(GetReportDate(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(GetReportDateV2(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(GetReportV2(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(OpenReportV2(nullptr, nullptr), -1);
  EXPECT_EQ(GetReport(kLogin.c_str(), 0, nullptr, nullptr, nullptr), -1);

  Buffer template_missing;
  EXPECT_EQ(GetReport(kLogin.c_str(), 0, nullptr, "d.xml", template_missing.bytes), -1);
  EXPECT_TRUE(template_missing.Holds(Gbk("请检查模版文件是否存在!")));
}

TEST(FrameTest, FilingExportsDoNotClaimSuccess) {
  const TestInstallation& install = SharedInstallation();
  const std::string output = install.temp() / "filing.xml";
  Buffer buffer;
  EXPECT_LT(GetReportDate(kLogin.c_str(), output.c_str(), buffer.bytes), 0);
  EXPECT_FALSE(buffer.Untouched());
  EXPECT_FALSE(Exists(output));
}

// The InstallLocation is kept per process: these run in a fresh process each.
class FreshProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FreshProcessTest, MissingRegistryValueIsReported) {
  EXPECT_EXIT(
      {
        TestInstallation install;
        install.RemoveRegistryValue();
        Buffer buffer;
        const std::string template_path = install.temp() / "t.rep";
        WriteFile(template_path, "t");
        bool ok = GetReport(kLogin.c_str(), 0, template_path.c_str(), "d.xml", buffer.bytes) == -1 &&
                  buffer.Holds(Gbk("安装程序信息不正确，请重新安装程序!"));
        // Added later, the value is found by the next call.
        install.SetRegistryValue(install.root());
        Buffer later;
        const std::string data = install.temp() / "d.xml";
        ok = ok && GetReport(kLogin.c_str(), 0, template_path.c_str(), data.c_str(), later.bytes) == 0;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(FreshProcessTest, ChangedRegistryValueIsIgnoredAfterTheFirstLookup) {
  EXPECT_EXIT(
      {
        TestInstallation install;
        const std::string template_path = install.temp() / "t.rep";
        WriteFile(template_path, "t");
        Buffer first;
        const std::string data = install.temp() / "d.xml";
        bool ok = GetReport(kLogin.c_str(), 0, template_path.c_str(), data.c_str(), first.bytes) == 0;
        install.SetRegistryValue("/nowhere");
        Buffer second;
        ok = ok && GetReport(kLogin.c_str(), 0, template_path.c_str(), data.c_str(), second.bytes) == 0;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// An empty installation location would start "\vokdesk.exe" from the root
// of the current drive with the password on its command line.
TEST_F(FreshProcessTest, OpenReportRefusesAnUnknownInstallation) {
  EXPECT_EXIT(
      {
        TestInstallation install;
        install.RemoveRegistryValue();
        Buffer buffer;
        const std::string login =
            "<Info><LoginInfo><AccountCode>1</AccountCode><UserID>u</UserID><Password>p"
            "</Password><LoginDate>d</LoginDate><Year>2007</Year><Period>1</Period>"
            "<Server>s</Server><FileRep>f</FileRep></LoginInfo></Info>";
        bool ok = OpenReportV2(login.c_str(), buffer.bytes) == -1 &&
                  buffer.Holds(Gbk("安装程序信息不正确，请重新安装程序!"));
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vok::test
