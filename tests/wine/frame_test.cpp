// What every export does before its own work: the login text is read, the
// installation is looked up, and a failure leaves exactly one message.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "expected_messages.h"
#include "test_installation.h"
#include "vok_library.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

class RequestFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.Register();
    ASSERT_TRUE(library_.loaded()) << "error " << library_.load_error();
  }

  // Calls one export by name with `login`; the paths name nothing, so a
  // login that passes the frame ends with a later message.
  int Call(const std::string& exportName, const char* login, char* message) {
    const char* missing = "Z:\\no\\such\\folder\\file.rep";
    if (exportName == "GetReport") return library_.GetReport()(login, 0, missing, missing, message);
    if (exportName == "GetReportDate") return library_.GetReportDate()(login, missing, message);
    if (exportName == "GetReportDateV2") return library_.GetReportDateV2()(login, missing, message);
    if (exportName == "GetReportV2") return library_.GetReportV2()(login, missing, message);
    return library_.OpenReportV2()(login, message);
  }

  const std::vector<std::string> exports_ = {"GetReport", "GetReportDate", "GetReportDateV2",
                                             "GetReportV2", "OpenReportV2"};
  TestInstallation install_{u8"测试安装"};
  VokLibrary library_;
};

TEST_F(RequestFrame, UnreadableLoginsAreRefusedByEveryExport) {
  const std::string complete = LoginXml({{"AccountCode", "001"},
                                         {"UserID", "u"},
                                         {"Password", "p"},
                                         {"LoginDate", "2007-03-01"},
                                         {"Year", "2007"},
                                         {"Period", "3"},
                                         {"Server", "s"},
                                         {"ReportType", "SYB"},
                                         {"FileRep", "x.rep"}});
  const std::string withoutPeriod = LoginXml({{"AccountCode", "001"},
                                              {"UserID", "u"},
                                              {"Password", "p"},
                                              {"LoginDate", "2007-03-01"},
                                              {"Year", "2007"},
                                              {"Server", "s"},
                                              {"ReportType", "SYB"},
                                              {"FileRep", "x.rep"}});
  const std::string withoutInfo = Gbk(
      "<LoginInfo><AccountCode>001</AccountCode><Year>2007</Year><Period>3</Period>"
      "<Server>s</Server></LoginInfo>");
  const std::string unclosed = complete.substr(0, complete.size() - 7);
  const std::vector<std::pair<const char*, std::string>> logins = {
      {"not XML", "not xml at all"},
      {"empty", ""},
      {"cut short", unclosed},
      {"no Info element", withoutInfo},
      {"no Period", withoutPeriod},
  };
  for (const auto& exportName : exports_) {
    for (const auto& [what, login] : logins) {
      SCOPED_TRACE(exportName + " with a login text: " + what);
      MessageBuffer message;
      EXPECT_EQ(Call(exportName, login.c_str(), message.get()), -1);
      EXPECT_TRUE(message.Holds(expected::ParseFailed()));
    }
  }
  EXPECT_FALSE(Exists(install_.InLocation("\\vokwqm7.args"))) << "a tool ran for a refused login";
  EXPECT_FALSE(Exists(install_.InLocation("\\vokdesk.args"))) << "a tool ran for a refused login";
}

TEST_F(RequestFrame, LoginInfoNestedDeeperIsFound) {
  // "//Info" finds Info anywhere; the call then fails at its template.
  const std::string nested = Gbk(
      "<Envelope><Body><Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year>"
      "<Period>3</Period><Server>s</Server></LoginInfo></Info></Body></Envelope>");
  MessageBuffer message;
  EXPECT_EQ(Call("GetReport", nested.c_str(), message.get()), -1);
  EXPECT_TRUE(message.Holds(expected::TemplateMissing()));
}

TEST_F(RequestFrame, NullPointersNeverCrash) {
  for (const auto& exportName : exports_) {
    SCOPED_TRACE(exportName);
    MessageBuffer message;
    EXPECT_EQ(Call(exportName, nullptr, message.get()), -1);
    EXPECT_TRUE(message.Holds(expected::ParseFailed()));
    // No buffer: the failure is only not reported.
    EXPECT_EQ(Call(exportName, nullptr, nullptr), -1);
    EXPECT_EQ(Call(exportName, "not xml", nullptr), -1);
  }
  const std::string login = BatchLogin("001", "2007", "3", "s");
  MessageBuffer noTemplate;
  EXPECT_EQ(library_.GetReport()(login.c_str(), 0, nullptr, "Z:\\x.xml", noTemplate.get()), -1);
  EXPECT_TRUE(noTemplate.Holds(expected::TemplateMissing()));

  // The combined exports stop at their first template, before the output
  // path is used; the null path must not matter until then.
  MessageBuffer noOutput;
  EXPECT_EQ(library_.GetReportDate()(login.c_str(), nullptr, noOutput.get()), -1);
  EXPECT_TRUE(noOutput.Holds(expected::IncomeTemplateCopyFailed()));
  MessageBuffer noOutputV2;
  EXPECT_EQ(library_.GetReportDateV2()(login.c_str(), nullptr, noOutputV2.get()), -1);
  EXPECT_TRUE(noOutputV2.Holds(expected::IncomeTemplateCopyFailed()));
}

TEST_F(RequestFrame, MissingInstallValueIsReportedByTheBatchExports) {
  // No call has looked the location up in this load of the library yet.
  DeleteInstallValue();
  const std::string login = LoginXml({{"AccountCode", "001"},
                                      {"UserID", "u"},
                                      {"Password", "p"},
                                      {"LoginDate", "2007-03-01"},
                                      {"Year", "2007"},
                                      {"Period", "3"},
                                      {"Server", "s"},
                                      {"ReportType", "SYB"},
                                      {"FileRep", "x.rep"}});
  for (const auto& exportName : exports_) {
    SCOPED_TRACE(exportName);
    MessageBuffer message;
    EXPECT_EQ(Call(exportName, login.c_str(), message.get()), -1);
    // The interactive open too: it would start "\vokdesk.exe" in the
    // current drive's root folder, with the password on its command line.
    EXPECT_TRUE(message.Holds(expected::InstallMissing()));
  }
}

}  // namespace
}  // namespace vok::wine_test
