// Cell exports in GBK that Wine's msxml3 cannot load from the file: under
// Wine msxml3's load() refuses a GBK file whose double-byte character has its
// lead byte as the 180th byte after the encoding name's closing quote, and
// every file declared "gb2312", "cp936" or another name of code page 936 it
// does not know. Windows' MSXML loads them all. The library must write the
// same filing documents from them as from the same records in UTF-8, under
// every name of code page 936 that the Linux reader accepts too.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "msxml_probe.h"

namespace vok::wine_test {
namespace {

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x81; }

// The UTF-8 fixture `name` as a report tool writes it in GBK, declared as
// `encoding`, with blanks after the declaration that put the lead byte of a
// double-byte character at the 180th byte after the encoding's closing quote.
std::string SplitGbkExport(const char* name, const std::string& encoding) {
  std::string utf8 = FixtureBytes(name);
  const std::string declared = "encoding=\"UTF-8\"";
  const std::size_t at = utf8.find(declared);
  if (at == std::string::npos) throw std::runtime_error("fixture declares no UTF-8");
  utf8.replace(at, declared.size(), "encoding=\"" + encoding + "\"");
  std::string gbk = Gbk(utf8);

  const std::size_t quote = gbk.find('"', gbk.find("encoding=\"") + 10) + 1;
  const std::size_t prolog = gbk.find("?>") + 2;
  const std::size_t split = quote + 179;
  std::size_t lead = std::string::npos;
  for (std::size_t i = prolog; i <= split && i < gbk.size(); ++i) {
    if (IsLeadByte(gbk[i])) lead = i++;
  }
  if (lead == std::string::npos) throw std::runtime_error("no GBK character to move");
  gbk.insert(prolog, split - lead, ' ');
  return gbk;
}

// The names of code page 936, in the letter cases exports are seen with.
constexpr const char* kGbkNames[] = {"GBK",   "gbk",      "GB2312",     "gb2312", "CP936",
                                     "Cp936", "MS936",    "windows-936", "x-gbk",  "csGB2312",
                                     "GB_2312-80", "EUC-CN", "euc-cn"};

class GbkExports : public FilingByType {
 protected:
  // Writes the export where the template goes and notes what bare msxml3
  // makes of it.
  void Place(const std::string& path, const std::string& bytes) {
    WriteBytes(path, bytes);
    NoteWhetherMsxmlLoads(path);
  }
};

// The decoding itself, whatever load() would have made of the file: every
// cell text as bare MSXML reads it from the same records in UTF-8.
TEST(GbkFallback, EveryNameOfGbkIsDecodedAsGbk) {
  ScratchFolder folder("fallback");
  const std::string utf8 = folder / "income-utf8.rep";
  WriteBytes(utf8, FixtureBytes("income.rep"));
  const std::vector<std::string> expected = MsxmlTexts(utf8, L"//vok/cell/value");
  ASSERT_GT(expected.size(), 10u);
  for (const char* encoding : kGbkNames) {
    SCOPED_TRACE(encoding);
    const std::string path = folder / "income.rep";
    WriteBytes(path, SplitGbkExport("income.rep", encoding));
    EXPECT_EQ(MsxmlTexts(path, L"//vok/cell/value", MsxmlLoad::kGbkFallback), expected);
  }
  // Nothing for a name of another encoding.
  const std::string big5 = folder / "big5.rep";
  WriteBytes(big5, SplitGbkExport("income.rep", "Big5"));
  EXPECT_THROW(MsxmlTexts(big5, L"//vok/cell/value", MsxmlLoad::kGbkFallback), std::runtime_error);
}

TEST_F(GbkExports, NationalFilingAsFromUtf8) {
  for (const char* encoding : kGbkNames) {
    SCOPED_TRACE(encoding);
    Place(NationalTemplate("hxsyb.rep"), SplitGbkExport("income.rep", encoding));
    Place(NationalTemplate("hxzcfzb.rep"), SplitGbkExport("balance.rep", encoding));
    MessageBuffer message;
    ASSERT_EQ(National(message), 0) << Readable(message.Text());
    EXPECT_TRUE(message.Untouched());
    EXPECT_TRUE(OutputHolds([](const std::string& today) {
      return kFilingHead + IncomeSectionV1("200702") + BalanceSection(today) + "</DZSBB>";
    }));
  }
}

TEST_F(GbkExports, FinancialFilingFromGb2312AsFromUtf8) {
  login_ = BatchLogin("001", "2007", "12", kServer);
  for (const char* encoding : {"gb2312", "Cp936"}) {
    SCOPED_TRACE(encoding);
    Place(ModelFolder(u8"财务申报") + "\\lrb.rep",
          SplitGbkExport("financial_income.rep", encoding));
    Place(ModelFolder(u8"财务申报") + "\\zcfzb.rep", SplitGbkExport("balance.rep", encoding));
    MessageBuffer message;
    ASSERT_EQ(Financial(message), 0) << Readable(message.Text());
    EXPECT_TRUE(OutputHolds([](const std::string& today) {
      return kFilingHead + IncomeSectionV3("200712") + BalanceSection(today) + "</DZSBB>";
    }));
  }
}

TEST_F(GbkExports, OneStatementByTypeAsFromUtf8) {
  Place(IncomeTemplate(), SplitGbkExport("income.rep", "GBK"));
  Place(BalanceTemplate(), SplitGbkExport("balance.rep", "GB2312"));
  MessageBuffer income;
  ASSERT_EQ(ByType("SYB", IncomeTemplate(), income), 0) << Readable(income.Text());
  EXPECT_TRUE(OutputHolds([](const std::string&) {
    return kFilingHead + IncomeSectionV2("200702") + "</DZSBB>";
  }));
  MessageBuffer balance;
  ASSERT_EQ(ByType("ZCFZB", BalanceTemplate(), balance), 0) << Readable(balance.Text());
  EXPECT_TRUE(OutputHolds([](const std::string& today) {
    return kFilingHead + BalanceSection(today) + "</DZSBB>";
  }));
}

// The list ends at the first merged range below the header; a record after
// it that lacks its children is never read, in GBK as in UTF-8.
TEST_F(GbkExports, MalformedRecordAfterTheScanIsNoFailure) {
  std::string balance = SplitGbkExport("balance.rep", "GBK");
  const std::size_t end = balance.rfind("</vok>");
  ASSERT_NE(end, std::string::npos);
  balance.insert(end, Gbk(u8"<cell><row1>9</row1><col1>1</col1><row2>9</row2><col2>8</col2>"
                          u8"<value>以下空白</value></cell>\n<cell><row1>10</row1></cell>\n"));
  Place(BalanceTemplate(), balance);
  ASSERT_EQ(ByType("ZCFZB", BalanceTemplate(), message_), 0) << Readable(message_.Text());
  EXPECT_TRUE(OutputHolds([](const std::string& today) {
    return kFilingHead + BalanceSection(today) + "</DZSBB>";
  }));
}

// What the library reads as text must still be XML: a GBK export that is
// cut short, or that holds bytes which are no GBK, fails its writer, and the
// previous filing stays.
TEST_F(GbkExports, ExportThatIsNoXmlStillFails) {
  const std::string income = SplitGbkExport("income.rep", "GBK");
  const std::string balance = SplitGbkExport("balance.rep", "GBK");
  struct Case {
    const char* what;
    std::string income;
    std::string balance;
    std::string message;
  };
  const Case cases[] = {
      {"balance sheet cut short", income, balance.substr(0, balance.size() - 10),
       expected::BalanceExportUnreadable()},
      {"income statement cut short", income.substr(0, income.rfind("<cell>")), balance,
       expected::IncomeExportUnreadable()},
      // 0x81 0x7F: a lead byte with a byte that can never follow it.
      {"no GBK in the balance sheet", income,
       balance.substr(0, balance.rfind("</value>")) + "\x81\x7F" +
           balance.substr(balance.rfind("</value>")),
       expected::BalanceExportUnreadable()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(NationalTemplate("hxsyb.rep"), c.income);
    WriteBytes(NationalTemplate("hxzcfzb.rep"), c.balance);
    WriteBytes(output_, "the previous filing");
    MessageBuffer message;
    EXPECT_EQ(National(message), -1);
    EXPECT_TRUE(message.Holds(c.message));
    EXPECT_EQ(ReadBytes(output_).value_or("<gone>"), "the previous filing");
    EXPECT_EQ(ListFolder(caller_.path()), std::vector<std::string>{outputName_});
  }
}

}  // namespace
}  // namespace vok::wine_test
