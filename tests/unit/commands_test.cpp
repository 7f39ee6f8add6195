#include <gtest/gtest.h>

#include <climits>

#include "driver/commands.h"

namespace vok {
namespace {

TEST(BatchCommandTest, LaysOutTheFieldsExactly) {
  EXPECT_EQ(FormatBatchCommand("C:\\R\\vok\\vokwqm7.exe", "001", 2007, "2007-02-28", "srv",
                               "C:\\R\\vok\\voktemp1.rep", 0),
            "\"C:\\R\\vok\\vokwqm7.exe\" -LQM7_VOK{001 2007 2007-02-28 \"srv\" "
            "\"C:\\R\\vok\\voktemp1.rep\" 0 }");
}

TEST(BatchCommandTest, YearIsRightAlignedToFourAndNeverCut) {
  auto year_field = [](int year) {
    std::string command = FormatBatchCommand("t", "a", year, "d", "s", "w", 0);
    const std::string open = "-LQM7_VOK{a ";
    std::size_t begin = command.find(open) + open.size();
    return command.substr(begin, command.find(" d ", begin) - begin);
  };
  EXPECT_EQ(year_field(2007), "2007");
  EXPECT_EQ(year_field(999), " 999");
  EXPECT_EQ(year_field(95), "  95");
  EXPECT_EQ(year_field(0), "   0");
  EXPECT_EQ(year_field(-5), "  -5");
  EXPECT_EQ(year_field(20071), "20071");
  EXPECT_EQ(year_field(INT_MIN), "-2147483648");
}

TEST(BatchCommandTest, TrailingNumberAndUnescapedFields) {
  EXPECT_EQ(FormatBatchCommand("t", "a", 2007, "d", "s", "w", -1),
            "\"t\" -LQM7_VOK{a 2007 d \"s\" \"w\" -1 }");
  EXPECT_EQ(FormatBatchCommand("t", "a", 2007, "d", "s", "w", INT_MAX),
            "\"t\" -LQM7_VOK{a 2007 d \"s\" \"w\" 2147483647 }");
  // Quotes, braces and blanks inside fields go in as they stand.
  EXPECT_EQ(FormatBatchCommand("t", "a\"b c}", 2007, "d", "s\"rv", "w", 0),
            "\"t\" -LQM7_VOK{a\"b c} 2007 d \"s\"rv\" \"w\" 0 }");
  // GBK bytes pass through untouched.
  EXPECT_EQ(FormatBatchCommand("t", "\xD5\xCB", 2007, "d", "\xB7\xFE", "w", 0),
            "\"t\" -LQM7_VOK{\xD5\xCB 2007 d \"\xB7\xFE\" \"w\" 0 }");
}

TEST(InteractiveCommandTest, SevenFieldsBetweenTabs) {
  LoginRequest login;
  login.account_code = "001";
  login.year = 2007;
  login.user_id = "admin";
  login.password = "p w";
  login.login_date = "2007-03-01";
  login.server = "srv";
  login.file_rep = "C:\\x.rep";
  EXPECT_EQ(FormatInteractiveCommand("C:\\R\\vok\\vokdesk.exe", login),
            "\"C:\\R\\vok\\vokdesk.exe\" -L{001\t2007\tadmin\tp w\t2007-03-01\tsrv\tC:\\x.rep}");

  login.year = 95;
  login.password.clear();
  EXPECT_EQ(FormatInteractiveCommand("t", login),
            "\"t\" -L{001\t  95\tadmin\t\t2007-03-01\tsrv\tC:\\x.rep}");
}

TEST(InteractiveCommandTest, EmptyFieldsStillGiveSixTabs) {
  const std::string command = FormatInteractiveCommand("\\vokdesk.exe", LoginRequest{});
  EXPECT_EQ(command, "\"\\vokdesk.exe\" -L{\t   0\t\t\t\t\t}");
  EXPECT_EQ(std::count(command.begin(), command.end(), '\t'), 6);
}

}  // namespace
}  // namespace vok
