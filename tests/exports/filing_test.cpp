// The filing-document exports end to end, with the stand-in batch tool
// "computing" the fixture templates of tests/data/filing.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "filing_documents.h"
#include "filing_fixture.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

namespace fs = std::filesystem;

const std::string& kDataDir = kFilingDataDir;

std::string TodayText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

class FilingTest : public FilingFixture {};

TEST_F(FilingTest, NationalFilingHoldsIncomeStatementThenBalanceSheet) {
  InstallNational();
  WriteFile(output_, std::string(10000, 'x'));  // replaced whole
  ASSERT_EQ(GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes), 0) << buffer_.bytes;
  EXPECT_TRUE(buffer_.Untouched());
  EXPECT_EQ(ReadFile(output_),
            Gbk(kFilingHead + IncomeSectionV1("200702") + BalanceSection(TodayText()) + "</DZSBB>"));
  EXPECT_EQ(ToolRuns(), (std::vector<std::string>{ToolRun("voktemp1.rep"), ToolRun("voktemp2.rep")}));
  // What stays in the installation folder after success.
  EXPECT_TRUE(InLocation("rep_vok.xml"));
  EXPECT_EQ(ReadFile(install_.InLocation("rep_vok1.xml")), ReadFile(kDataDir + "income.rep"));
  EXPECT_EQ(ReadFile(install_.InLocation("rep_vok2.xml")), ReadFile(kDataDir + "balance.rep"));
  EXPECT_FALSE(InLocation("voktemp1.rep"));
  EXPECT_FALSE(InLocation("voktemp2.rep"));
}

TEST_F(FilingTest, FinancialFilingUsesItsOwnTemplatesAndLayout) {
  InstallFinancial();
  login_ = BatchLogin("001", "2007", "12", "srv");
  ASSERT_EQ(GetReportDateV2(login_.c_str(), output_.c_str(), buffer_.bytes), 0) << buffer_.bytes;
  EXPECT_EQ(ReadFile(output_),
            Gbk(kFilingHead + IncomeSectionV3("200712") + BalanceSection(TodayText()) + "</DZSBB>"));
  EXPECT_EQ(ToolRuns(), (std::vector<std::string>{ToolRun("voktemp1.rep", "2007-12-31"),
                                                  ToolRun("voktemp2.rep", "2007-12-31")}));

  // The national templates are not installed: the other export cannot work.
  Buffer national;
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), national.bytes), -1);
  EXPECT_TRUE(national.Holds(Gbk("复制损益表模版文件出错，请检查模版文件是否存在!")));
}

TEST_F(FilingTest, MissingBalanceTemplateStopsBeforeAnyRun) {
  WriteFile(install_.InLocation("rep_vok2.xml"), "previous call's export");
  InstallNational("income.rep", nullptr);
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("复制资产负债表模版文件出错，请检查模版文件是否存在!")));
  EXPECT_TRUE(InLocation("voktemp1.rep"));
  EXPECT_FALSE(InLocation("voktemp2.rep"));
  EXPECT_FALSE(InLocation("rep_vok2.xml"));
  EXPECT_FALSE(InLocation("vokwqm7.log"));
  EXPECT_FALSE(Exists(output_));
}

TEST_F(FilingTest, SecondRunWithoutOutputNamesTheBalanceSheet) {
  InstallNational();
  ScopedEnv second_silent("VOKWQM7_NO_OUTPUT", "voktemp2");
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("接口程序无资产负债表文件输出!")));
  EXPECT_TRUE(InLocation("rep_vok1.xml"));
  EXPECT_FALSE(InLocation("voktemp1.rep"));
  EXPECT_TRUE(InLocation("voktemp2.rep"));
  EXPECT_FALSE(Exists(output_));
}

TEST_F(FilingTest, FirstRunWithoutOutputStopsBeforeTheSecond) {
  InstallNational();
  ScopedEnv silent("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("接口程序无损益表数据文件输出!")));
  EXPECT_EQ(ToolRuns().size(), 1u);
}

TEST_F(FilingTest, UnreadableCellExportFailsItsWriter) {
  InstallNational();
  WriteFile(install_.InLocation("vokModel/国税申报/hxzcfzb.rep"), "<vok><cell><row1>1</row1>");
  WriteFile(output_, "the previous filing");
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("分析资产负债表数据文件错误!")));
  EXPECT_EQ(ReadFile(output_), "the previous filing");
}

TEST_F(FilingTest, OutputInAMissingFolderLeavesNothingBehind) {
  InstallNational();
  const std::string output = caller_ / "no-such-folder/filing.xml";
  EXPECT_EQ(GetReportDate(login_.c_str(), output.c_str(), buffer_.bytes), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("生成最终数据文件错误,请检查导出文件名称是否合法!")));
  EXPECT_EQ(ToolRuns().size(), 2u);  // both runs and both sections were made first
  EXPECT_FALSE(Exists(caller_ / "no-such-folder"));

  Buffer null_output;
  EXPECT_EQ(GetReportDate(login_.c_str(), nullptr, null_output.bytes), -1);
  EXPECT_TRUE(null_output.Holds(Gbk("生成最终数据文件错误,请检查导出文件名称是否合法!")));
  EXPECT_TRUE(fs::is_empty(caller_.path()));  // no temporary file left over either
}

TEST_F(FilingTest, CellTextsAreEscapedSoTheDocumentParses) {
  InstallNational();
  ASSERT_EQ(GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes), 0);
  const std::string document = ReadFile(output_);
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> parsed(
      xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr, nullptr,
                    XML_PARSE_NONET),
      xmlFreeDoc);
  ASSERT_NE(parsed, nullptr);
  // The third income item's name comes back as the cell held it (in UTF-8).
  xmlNode* root = xmlDocGetRootElement(parsed.get());
  ASSERT_NE(root, nullptr);
  std::vector<std::string> names;
  std::function<void(xmlNode*)> collect = [&](xmlNode* node) {
    for (xmlNode* child = node->children; child; child = child->next) {
      if (child->type != XML_ELEMENT_NODE) continue;
      if (xmlStrEqual(child->name, BAD_CAST "SB_SYB_XMMC")) {
        std::unique_ptr<xmlChar, decltype(xmlFree)> text(xmlNodeGetContent(child), xmlFree);
        names.emplace_back(reinterpret_cast<const char*>(text.get()));
      }
      collect(child);
    }
  };
  collect(root);
  EXPECT_EQ(names, (std::vector<std::string>{"一、主营业务收入", "减：主营业务成本", "R&D <费用>"}));
}

class FilingByTypeTest : public FilingTest {
 protected:
  int Call(const std::string& type, const std::string& file_rep) {
    return GetReportV2(ByTypeLogin(type, file_rep).c_str(), output_.c_str(), buffer_.bytes);
  }
};

TEST_F(FilingByTypeTest, BalanceSheetInAnyLetterCase) {
  for (const char* type : {"ZCFZB", "zcfzb", "ZcFzB"}) {
    Buffer buffer;
    ASSERT_EQ(GetReportV2(ByTypeLogin(type, kDataDir + "balance.rep").c_str(), output_.c_str(),
                          buffer.bytes), 0) << type;
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(ReadFile(output_), Gbk(kFilingHead + BalanceSection(TodayText()) + "</DZSBB>"));
  }
  EXPECT_EQ(ToolRuns().back(), ToolRun("voktemp1.rep"));
  EXPECT_FALSE(InLocation("voktemp1.rep"));
  EXPECT_TRUE(InLocation("rep_vok1.xml"));
}

TEST_F(FilingByTypeTest, IncomeStatementInAnyLetterCase) {
  for (const char* type : {"SYB", "syb", "Syb"}) {
    ASSERT_EQ(Call(type, kDataDir + "income.rep"), 0) << type;
    EXPECT_EQ(ReadFile(output_), Gbk(kFilingHead + IncomeSectionV2("200702") + "</DZSBB>"));
  }
}

TEST_F(FilingByTypeTest, UnsupportedTypeFailsAfterTheRun) {
  for (const char* type : {"", "XJLLB", "S YB"}) {
    Buffer buffer;
    fs::remove(install_.InLocation("rep_vok1.xml"));
    EXPECT_EQ(GetReportV2(ByTypeLogin(type, kDataDir + "income.rep").c_str(), output_.c_str(),
                          buffer.bytes), -1);
    EXPECT_TRUE(buffer.Holds(Gbk("不支持的报表类型!"))) << type;
    EXPECT_TRUE(InLocation("rep_vok1.xml"));
    EXPECT_FALSE(Exists(output_));
  }
}

TEST_F(FilingByTypeTest, TemplateIsTheCallersPathAsGiven) {
  EXPECT_EQ(Call("SYB", caller_ / "absent.rep"), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("复制模版文件出错，请检查模版文件是否存在!")));
  EXPECT_FALSE(InLocation("vokwqm7.log"));

  // A path relative to the installation is not looked up there.
  InstallNational();
  Buffer relative;
  EXPECT_EQ(GetReportV2(ByTypeLogin("SYB", Gbk("\\vokModel\\国税申报\\hxsyb.rep")).c_str(),
                        output_.c_str(), relative.bytes), -1);
  EXPECT_TRUE(relative.Holds(Gbk("复制模版文件出错，请检查模版文件是否存在!")));
}

TEST_F(FilingByTypeTest, MissingOutputHasItsOwnMessage) {
  ScopedEnv silent("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(Call("SYB", kDataDir + "income.rep"), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("接口程序数据文件输出!")));
}

}  // namespace
}  // namespace vok::test
