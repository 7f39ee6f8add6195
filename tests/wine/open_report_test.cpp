// OpenReportV2 end to end: the interactive stand-in is started with the
// login command and the call does not wait for it.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "expected_messages.h"
#include "test_installation.h"
#include "vok_library.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

class OpenReport : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.Register();
    ASSERT_TRUE(library_.loaded()) << "error " << library_.load_error();
  }

  // The interactive tool runs on after the call: wait for what it records
  // so that it is done before the installation is removed.
  std::string RecordedTail() {
    return WaitForFile(install_.InLocation("\\vokdesk.args"), 15000).value_or("<no vokdesk.args>");
  }

  TestInstallation install_{u8"测试安装"};
  VokLibrary library_;
  MessageBuffer message_;
};

TEST_F(OpenReport, StartsTheInteractiveToolWithTheTabSeparatedLogin) {
  const std::string login = LoginXml({{"AccountCode", "001"},
                                      {"UserID", u8"张三"},
                                      {"Password", ""},
                                      {"LoginDate", "2007-03-15"},
                                      {"Year", "95"},
                                      {"Period", "3"},
                                      {"Server", u8"账务服务器"},
                                      {"FileRep", u8"C:\\报表\\资产 负债.rep"}});
  ASSERT_EQ(library_.OpenReportV2()(login.c_str(), message_.get()), 0)
      << Readable(message_.Text());
  EXPECT_TRUE(message_.Untouched());
  const std::string tail = RecordedTail();
  // Year %4d, the empty password as two adjacent tabs, nothing quoted.
  EXPECT_EQ(tail, Gbk(u8"-L{001\t  95\t张三\t\t2007-03-15\t账务服务器\tC:\\报表\\资产 负债.rep}"))
      << Readable(tail);
  EXPECT_EQ(std::count(tail.begin(), tail.end(), '\t'), 6);
}

TEST_F(OpenReport, ReturnsWhileTheToolIsStillRunning) {
  const std::string login = LoginXml({{"AccountCode", "002"},
                                      {"UserID", "admin"},
                                      {"Password", "secret"},
                                      {"LoginDate", "2008-12-31"},
                                      {"Year", "2008"},
                                      {"Period", "12"},
                                      {"Server", "srv"},
                                      {"FileRep", "r.rep"}});
  // The stand-in records its command line only after this pause: had the
  // call waited for it, the record would be there when the call returns.
  ScopedEnvironment slow("VOKDESK_SLEEP_MS", "1500");
  ASSERT_EQ(library_.OpenReportV2()(login.c_str(), message_.get()), 0)
      << Readable(message_.Text());
  EXPECT_FALSE(Exists(install_.InLocation("\\vokdesk.args"))) << "the call waited for the tool";
  EXPECT_EQ(RecordedTail(), "-L{002\t2008\tadmin\tsecret\t2008-12-31\tsrv\tr.rep}");
}

TEST_F(OpenReport, MissingToolIsReported) {
  ASSERT_TRUE(DeleteFileA(install_.InLocation("\\vokdesk.exe").c_str()));
  const std::string login = LoginXml({{"AccountCode", "001"},
                                      {"UserID", "u"},
                                      {"Password", "p"},
                                      {"LoginDate", "d"},
                                      {"Year", "2007"},
                                      {"Period", "3"},
                                      {"Server", "s"},
                                      {"FileRep", "f"}});
  EXPECT_EQ(library_.OpenReportV2()(login.c_str(), message_.get()), -1);
  EXPECT_TRUE(message_.Holds(expected::OpenLaunchFailed()));
}

}  // namespace
}  // namespace vok::wine_test
