// Inputs a filing client should never send and the library must survive:
// huge and deeply nested login texts, bytes that are no GBK, characters GBK
// lacks, numbers too long for any integer, a cell export of a million cells.
#include <gtest/gtest.h>

#include <string>

#include "cell_exports.h"
#include "filing_fixture.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

const char kParseMessage[] = "分析输入参数错误!";

std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

class HostileInputTest : public FilingFixture {
 protected:
  HostileInputTest() { InstallNational(); }
  int National(const std::string& login) {
    return GetReportDate(login.c_str(), output_.c_str(), buffer_.bytes);
  }
  std::string FirstToolRun() const {
    const std::vector<std::string> runs = ToolRuns();
    return runs.empty() ? "" : runs.front();
  }
};

TEST_F(HostileInputTest, TenMegabyteLoginTexts) {
  // Ten megabytes of other elements around the fields: read like any login.
  std::string padding;
  padding.reserve(10u << 20);
  while (padding.size() < (10u << 20)) padding += "<Pad>0123456789</Pad>";
  std::string login = BatchLogin("001", "2007", "2", "srv");
  login.insert(login.find("</LoginInfo>"), padding);
  ASSERT_EQ(National(login), 0) << buffer_.bytes;
  EXPECT_EQ(FirstToolRun(), ToolRun("voktemp1.rep"));

  // Ten megabytes in one field: the parser's limit on a single text refuses
  // it before any command line is built.
  Buffer huge_field;
  login = BatchLogin("001", "2007", "2", std::string(10u << 20, 's'));
  EXPECT_EQ(GetReportDate(login.c_str(), output_.c_str(), huge_field.bytes), -1);
  EXPECT_TRUE(huge_field.Holds(Gbk(kParseMessage)));
}

TEST_F(HostileInputTest, FieldLongerThanAnyCommandLineIsRefusedAtTheStart) {
  // 200 KB: past the longest single argument the system passes to a program.
  const std::string login = BatchLogin("001", "2007", "2", std::string(200000, 's'));
  EXPECT_EQ(National(login), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("在生成损益数据时,调用接口程序失败!")));
  EXPECT_FALSE(Exists(output_));
}

TEST_F(HostileInputTest, DeeplyNestedLoginTexts) {
  // Within the parser's depth limit the fields are found wherever Info stands.
  std::string login = BatchLogin("001", "2007", "2", "srv");
  for (int depth = 0; depth < 200; ++depth) login = "<n>" + login + "</n>";
  ASSERT_EQ(National(login), 0) << buffer_.bytes;

  // A hundred thousand levels are refused, not recursed into.
  std::string deep;
  for (int depth = 0; depth < 100000; ++depth) deep += "<n>";
  deep += BatchLogin("001", "2007", "2", "srv");
  for (int depth = 0; depth < 100000; ++depth) deep += "</n>";
  Buffer too_deep;
  EXPECT_EQ(GetReportDate(deep.c_str(), output_.c_str(), too_deep.bytes), -1);
  EXPECT_TRUE(too_deep.Holds(Gbk(kParseMessage)));

  // Unclosed, as a truncated text would be.
  Buffer unclosed;
  EXPECT_EQ(GetReportDate(deep.substr(0, 300000).c_str(), output_.c_str(), unclosed.bytes), -1);
  EXPECT_TRUE(unclosed.Holds(Gbk(kParseMessage)));
}

TEST_F(HostileInputTest, BytesThatAreNoGbkAndCharactersGbkLacks) {
  // A byte that starts no GBK character becomes '?' on the tool's command
  // line; it never reaches the tool as a broken character.
  ASSERT_EQ(National(BatchLogin("A\xFF" "B", "2007", "2", "s\x81")), 0) << buffer_.bytes;
  EXPECT_EQ(FirstToolRun(), "-LQM7_VOK{A?B 2007 2007-02-28 \"s?\" \"" + Work("voktemp1.rep") +
                                "\" 0 }");

  // A character reference to a character GBK lacks (Hangul) is written as
  // '?', as the system code page does.
  Buffer lacking;
  const std::string login = BatchLogin("001", "2007", "2", "srv&#xD55C;");
  ASSERT_EQ(GetReportDate(login.c_str(), output_.c_str(), lacking.bytes), 0) << lacking.bytes;
  EXPECT_EQ(ToolRuns().back(), "-LQM7_VOK{001 2007 2007-02-28 \"srv?\" \"" +
                                   Work("voktemp2.rep") + "\" 0 }");
}

TEST_F(HostileInputTest, CellTextsWithCharactersGbkLacks) {
  // A UTF-8 export whose item name holds Hangul and a character outside the
  // Basic Multilingual Plane: each becomes one '?' and the document parses.
  std::string cells = ReadFile(kFilingDataDir + "income.rep");
  const std::string name = "一、主营业务收入";
  ASSERT_NE(cells.find(name), std::string::npos);
  cells.replace(cells.find(name), name.size(), name + "한\xF0\x9F\x98\x80");
  const std::string file_rep = caller_ / "hangul.rep";
  WriteFile(file_rep, cells);
  ASSERT_EQ(GetReportV2(ByTypeLogin("SYB", file_rep).c_str(), output_.c_str(), buffer_.bytes), 0)
      << buffer_.bytes;
  const std::string document = ReadFile(output_);
  EXPECT_NE(document.find(Gbk("<SB_SYB_XMMC>一、主营业务收入" "??" "</SB_SYB_XMMC>")), std::string::npos);
  EXPECT_TRUE(ParsesAsXml(document));
}

TEST_F(HostileInputTest, TwentyDigitYearsSaturate) {
  const std::string login = BatchLogin("001", "99999999999999999999", "2", "srv");
  ASSERT_EQ(National(login), 0) << buffer_.bytes;
  EXPECT_EQ(FirstToolRun(), "-LQM7_VOK{001 2147483647 2147483647-02-28 \"srv\" \"" +
                                Work("voktemp1.rep") + "\" 0 }");
  EXPECT_NE(ReadFile(output_).find("<SB_SYB_SKSSQ>214748364702</SB_SYB_SKSSQ>"), std::string::npos);
}

TEST_F(HostileInputTest, MillionCellExport) {
  const std::string file_rep = caller_ / "million.rep";
  const std::string cells = bench::CellExportXml(bench::SheetShape::kIncomeStatement, 1000000);
  WriteFile(file_rep, cells);
  ASSERT_EQ(GetReportV2(ByTypeLogin("SYB", file_rep).c_str(), output_.c_str(), buffer_.bytes), 0)
      << buffer_.bytes;
  const std::string document = ReadFile(output_);
  // Every data row of the sheet is an item: (cells - title - header) / 4.
  EXPECT_EQ(Occurrences(document, "<SB_SYB_XMMC>"), (1000000u - 5u) / 4u);
  EXPECT_EQ(document.rfind("</DZSBB>"), document.size() - 8);
}

}  // namespace
}  // namespace vok::test
