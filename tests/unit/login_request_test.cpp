#include <gtest/gtest.h>

#include "interface/login_parse.h"
#include "platform/xml.h"
#include "support/test_support.h"

namespace vok {
namespace {

using test::Gbk;

std::optional<LoginRequest> Parse(const std::string& xml, LoginFieldList fields) {
  platform::XmlSession session;
  return ParseLoginRequest(xml.c_str(), fields);
}

constexpr char kFullLogin[] =
    "<Info><LoginInfo><AccountCode>001</AccountCode><UserID>admin</UserID>"
    "<Password>secret</Password><LoginDate>2007-03-01</LoginDate><Year>2007</Year>"
    "<Period>3</Period><Server>acct-srv</Server><FileRep>C:\\r\\a.rep</FileRep>"
    "<ReportType>SYB</ReportType></LoginInfo></Info>";

TEST(LoginRequestTest, ReadsEveryFieldOfItsList) {
  std::optional<LoginRequest> login = Parse(kFullLogin, kInteractiveLoginFields);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->account_code, "001");
  EXPECT_EQ(login->user_id, "admin");
  EXPECT_EQ(login->password, "secret");
  EXPECT_EQ(login->login_date, "2007-03-01");
  EXPECT_EQ(login->year, 2007);
  EXPECT_EQ(login->period, 3);
  EXPECT_EQ(login->server, "acct-srv");
  EXPECT_EQ(login->file_rep, "C:\\r\\a.rep");
  EXPECT_EQ(login->report_type, "");  // not in the interactive list

  login = Parse(kFullLogin, kByTypeLoginFields);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->report_type, "SYB");
  EXPECT_EQ(login->file_rep, "C:\\r\\a.rep");
  EXPECT_EQ(login->user_id, "");  // not in the by-type list
}

TEST(LoginRequestTest, BatchExportsNeedOnlyTheirFourFields) {
  std::optional<LoginRequest> login =
      Parse(test::BatchLogin("001", "2007", "2", "srv"), kBatchLoginFields);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->year, 2007);
  EXPECT_EQ(login->period, 2);
  EXPECT_FALSE(Parse(test::BatchLogin("001", "2007", "2", "srv"), kByTypeLoginFields));
  EXPECT_FALSE(Parse(test::BatchLogin("001", "2007", "2", "srv"), kInteractiveLoginFields));
}

TEST(LoginRequestTest, MissingFieldOrUnreadableTextFails) {
  EXPECT_FALSE(Parse("", kBatchLoginFields));
  EXPECT_FALSE(Parse("not xml at all", kBatchLoginFields));
  EXPECT_FALSE(Parse("<Info><LoginInfo><AccountCode>1</AccountCode>", kBatchLoginFields));
  EXPECT_FALSE(Parse("<Other><LoginInfo><AccountCode>1</AccountCode><Year>1</Year><Period>1"
                     "</Period><Server>s</Server></LoginInfo></Other>",
                     kBatchLoginFields));
  // Element names are case-sensitive.
  EXPECT_FALSE(Parse("<Info><LoginInfo><AccountCode>1</AccountCode><year>1</year><Period>1"
                     "</Period><Server>s</Server></LoginInfo></Info>",
                     kBatchLoginFields));
  // Period is required by every list, although OpenReportV2 never uses it.
  std::string no_period = kFullLogin;
  no_period.erase(no_period.find("<Period>"), std::string("<Period>3</Period>").size());
  EXPECT_FALSE(Parse(no_period, kInteractiveLoginFields));
  EXPECT_FALSE(ParseLoginRequest(nullptr, kBatchLoginFields));
}

TEST(LoginRequestTest, InfoMayStandAnywhereAndFirstMatchWins) {
  std::optional<LoginRequest> login = Parse(
      "<Root><Wrapper><Info><LoginInfo><AccountCode>A</AccountCode><Year>2001</Year>"
      "<Period>1</Period><Server>s1</Server></LoginInfo></Info></Wrapper>"
      "<Info><LoginInfo><AccountCode>B</AccountCode><Year>2002</Year><Period>2</Period>"
      "<Server>s2</Server></LoginInfo></Info></Root>",
      kBatchLoginFields);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->account_code, "A");
  EXPECT_EQ(login->year, 2001);
  EXPECT_EQ(login->server, "s1");
}

TEST(LoginRequestTest, NumbersFollowTheLeadingIntegerRule) {
  auto year_of = [](const std::string& text) {
    return Parse(test::BatchLogin("1", text, "1", "s"), kBatchLoginFields)->year;
  };
  EXPECT_EQ(year_of(""), 0);  // an empty element is no failure
  EXPECT_EQ(year_of(" 2007"), 2007);
  EXPECT_EQ(year_of("2007x"), 2007);
  EXPECT_EQ(year_of("abc"), 0);
  EXPECT_EQ(year_of("99999999999999999999"), 2147483647);
}

TEST(LoginRequestTest, TextsComeBackAsGbk) {
  std::string xml = test::BatchLogin(Gbk("账套一"), "2007", "3", Gbk("服务器 A&amp;B"));
  std::optional<LoginRequest> login = Parse(xml, kBatchLoginFields);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->account_code, Gbk("账套一"));
  EXPECT_EQ(login->server, Gbk("服务器 A&B"));
}

TEST(LoginRequestTest, DeclaredEncodingOfTheTextIsIgnored) {
  // The text is GBK whatever its declaration says.
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                    test::BatchLogin(Gbk("甲"), "2007", "3", "s");
  std::optional<LoginRequest> login = Parse(xml, kBatchLoginFields);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->account_code, Gbk("甲"));
}

}  // namespace
}  // namespace vok
