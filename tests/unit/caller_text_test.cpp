// The caller's texts arrive in the host's ANSI code page; only where their
// bytes mean the same in GBK do they reach a GBK document.
#include <gtest/gtest.h>

#include <string>

#include "interface/export_call.h"
#include "platform/faults.h"
#include "request/messages.h"
#include "request/text_rules.h"
#include "support/test_support.h"

namespace vok {
namespace {

using platform::faults::Operation;

TEST(CallerTexts, TakenAsGbkOnlyWhereTheBytesMeanTheSame) {
  const std::string gbk = test::Gbk("编制单位");
  const struct {
    const char* name;
    const char* text;
    std::uint32_t code_page;
    bool taken;
  } kCases[] = {
      {"GBK text, GBK host", gbk.c_str(), 936, true},
      {"ASCII, UTF-8 host", "C:\\Out\\filing.xml", 65001, true},
      {"ASCII, Big5 host", "<Info><LoginInfo/></Info>", 950, true},
      {"Chinese, UTF-8 host", gbk.c_str(), 65001, false},
      {"Chinese, Big5 host", gbk.c_str(), 950, false},
      {"one high byte at the end", "abc\xA1", 1252, false},
      {"empty text", "", 65001, true},
      {"no text", nullptr, 65001, true},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(TakenAsGbk(c.text, c.code_page), c.taken) << c.name;
  }
}

// The gate of every export, with the host's code page forced.
TEST(CallerTexts, ACallWithTextsOfAnotherCodePageIsRefusedAtOnce) {
  const std::string chinese_path = test::Gbk("C:\\申报\\filing.xml");
  const std::string login = "<Info><LoginInfo><Server>s</Server></LoginInfo></Info>";
  const struct {
    const char* name;
    int code_page;  // 0: the host's own (936 on POSIX)
    const char* path;
    bool accepted;
  } kCases[] = {
      {"936, Chinese path", 0, chinese_path.c_str(), true},
      {"65001, ASCII path", 65001, "C:\\out\\filing.xml", true},
      {"65001, Chinese path", 65001, chinese_path.c_str(), false},
      {"950, Chinese path", 950, chinese_path.c_str(), false},
      {"65001, no path", 65001, nullptr, true},
  };
  for (const auto& c : kCases) {
    if (c.code_page != 0) platform::faults::FailNext(Operation::kAnsiCodePage, 1000, c.code_page);
    char buffer[64] = "untouched";
    ExportCall call("CallerTexts", buffer);
    EXPECT_EQ(call.AcceptCallerTexts({login.c_str(), c.path}), c.accepted) << c.name;
    EXPECT_EQ(std::string(buffer), c.accepted ? "untouched" : msg::kCallerTextNotGbk) << c.name;
    platform::faults::ClearFaults();
  }
}

}  // namespace
}  // namespace vok
