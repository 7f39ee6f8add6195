// The filing-document exports end to end under Wine: GetReportDate,
// GetReportDateV2 and GetReportV2 run the stand-in batch tool on the fixture
// templates of tests/data/filing and must write the documents of
// tests/exports/filing_documents.h, in GBK.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filing_fixture.h"
#include "windows_headers.h"
#include "msxml_probe.h"

namespace vok::wine_test {
namespace {

TEST_F(Filing, NationalFilingIsIncomeStatementThenBalanceSheet) {
  InstallNational();
  WriteBytes(output_, std::string(10000, 'x'));
  ASSERT_EQ(National(message_), 0) << Readable(message_.Text());
  EXPECT_TRUE(message_.Untouched());
  EXPECT_TRUE(OutputHolds([](const std::string& today) {
    return kFilingHead + IncomeSectionV1("200702") + BalanceSection(today) + "</DZSBB>";
  }));
  EXPECT_EQ(ToolRuns(), (std::vector<std::string>{ToolRun("voktemp1.rep", "2007", "2007-02-28"),
                                                  ToolRun("voktemp2.rep", "2007", "2007-02-28")}));

  EXPECT_EQ(WorkFiles(),
            (std::vector<std::string>{"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml"}));
  EXPECT_EQ(ReadBytes(InLocation("rep_vok1.xml")), FixtureBytes("income.rep"));
  EXPECT_EQ(ReadBytes(InLocation("rep_vok2.xml")), FixtureBytes("balance.rep"));
  EXPECT_EQ(ReadBytes(InLocation("rep_vok.xml")), FixtureBytes("balance.rep"))
      << "the second run's export stays where the tool wrote it";
  EXPECT_EQ(ListFolder(caller_.path()), std::vector<std::string>{outputName_})
      << "a temporary file was left beside the output";
}

TEST_F(Filing, FinancialFilingUsesItsOwnTemplatesLayoutAndReportDate) {
  InstallFinancial();
  login_ = BatchLogin("001", "2007", "12", kServer);
  ASSERT_EQ(Financial(message_), 0) << Readable(message_.Text());
  EXPECT_TRUE(message_.Untouched());
  EXPECT_TRUE(OutputHolds([](const std::string& today) {
    return kFilingHead + IncomeSectionV3("200712") + BalanceSection(today) + "</DZSBB>";
  }));
  EXPECT_EQ(ToolRuns(), (std::vector<std::string>{ToolRun("voktemp1.rep", "2007", "2007-12-31"),
                                                  ToolRun("voktemp2.rep", "2007", "2007-12-31")}));
  EXPECT_EQ(WorkFiles(),
            (std::vector<std::string>{"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml"}));
  EXPECT_EQ(ReadBytes(InLocation("rep_vok1.xml")), FixtureBytes("financial_income.rep"));

  // February of a leap year ends on the 29th.
  login_ = BatchLogin("001", "2008", "2", kServer);
  MessageBuffer leap;
  ASSERT_EQ(Financial(leap), 0) << Readable(leap.Text());
  EXPECT_TRUE(OutputHolds([](const std::string& today) {
    return kFilingHead + IncomeSectionV3("200802") + BalanceSection(today) + "</DZSBB>";
  }));
  EXPECT_EQ(LastToolRuns(2),
            (std::vector<std::string>{ToolRun("voktemp1.rep", "2008", "2008-02-29"),
                                      ToolRun("voktemp2.rep", "2008", "2008-02-29")}));

  // Without the national templates the other export stops at its first
  // copy: no run, and the document just written stays.
  const std::string written = ReadBytes(output_).value_or("<none>");
  MessageBuffer national;
  EXPECT_EQ(National(national), -1);
  EXPECT_TRUE(national.Holds(expected::IncomeTemplateCopyFailed()));
  EXPECT_EQ(ToolRuns().size(), 4u);
  EXPECT_EQ(ReadBytes(output_).value_or("<gone>"), written);
}

TEST_F(Filing, MissingBalanceTemplateStopsBeforeAnyRun) {
  for (const char* stale : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml", "voktemp2.rep"}) {
    WriteBytes(InLocation(stale), "left by an earlier call");
  }
  InstallNational("income.rep", nullptr);
  EXPECT_EQ(National(message_), -1);
  EXPECT_TRUE(message_.Holds(expected::BalanceTemplateCopyFailed()));
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{"voktemp1.rep"});
  EXPECT_EQ(ReadBytes(InLocation("voktemp1.rep")), FixtureBytes("income.rep"));
  EXPECT_FALSE(Exists(InLocation("vokwqm7.log"))) << "the tool was started";
  EXPECT_FALSE(Exists(output_));
}

TEST_F(Filing, RunsWithoutOutputNameTheirStatement) {
  InstallNational();
  {
    ScopedEnvironment secondSilent("VOKWQM7_NO_OUTPUT", "voktemp2");
    EXPECT_EQ(National(message_), -1);
    EXPECT_TRUE(message_.Holds(expected::BalanceNoOutput()));
    EXPECT_EQ(ToolRuns().size(), 2u);
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"rep_vok1.xml", "voktemp2.rep"}));
    EXPECT_FALSE(Exists(output_));
  }
  {
    ScopedEnvironment silent("VOKWQM7_NO_OUTPUT", "1");
    MessageBuffer first;
    EXPECT_EQ(National(first), -1);
    EXPECT_TRUE(first.Holds(expected::IncomeNoOutput()));
    EXPECT_EQ(ToolRuns().size(), 3u) << "the second run was started";
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"voktemp1.rep", "voktemp2.rep"}));
    EXPECT_FALSE(Exists(output_));
  }
}

TEST_F(Filing, UnreadableCellExportLeavesThePreviousOutput) {
  InstallNational();
  WriteBytes(NationalTemplate("hxzcfzb.rep"), "<vok><cell><row1>1</row1>");
  WriteBytes(output_, "the previous filing");
  EXPECT_EQ(National(message_), -1);
  EXPECT_TRUE(message_.Holds(expected::BalanceExportUnreadable()));
  EXPECT_EQ(ToolRuns().size(), 2u);
  EXPECT_EQ(ReadBytes(output_).value_or("<gone>"), "the previous filing");
  EXPECT_EQ(ListFolder(caller_.path()), std::vector<std::string>{outputName_});
}

TEST_F(Filing, OutputThatCannotBeWrittenLeavesNothingBehind) {
  InstallNational();
  output_ = caller_ / u8"缺少的文件夹\\申报数据.xml";
  EXPECT_EQ(National(message_), -1);
  EXPECT_TRUE(message_.Holds(expected::OutputWriteFailed()));
  EXPECT_EQ(ToolRuns().size(), 2u) << "both runs come before the write";
  EXPECT_TRUE(ListFolder(caller_.path()).empty());

  // An existing folder at the output path: the document is written beside
  // it first and must not stay there.
  output_ = caller_ / u8"已有文件夹";
  MakeFolder(output_);
  MessageBuffer folder;
  EXPECT_EQ(National(folder), -1);
  EXPECT_TRUE(folder.Holds(expected::OutputWriteFailed()));
  EXPECT_EQ(ListFolder(caller_.path()), std::vector<std::string>{Gbk(u8"已有文件夹")});
  EXPECT_TRUE(ListFolder(output_).empty());

  MessageBuffer none;
  EXPECT_EQ(library_.GetReportDate()(login_.c_str(), nullptr, none.get()), -1);
  EXPECT_TRUE(none.Holds(expected::OutputWriteFailed()));
}

TEST_F(Filing, EscapedCellTextsReadBackThroughMsxml) {
  InstallNational();
  ASSERT_EQ(National(message_), 0) << Readable(message_.Text());
  EXPECT_EQ(MsxmlTexts(output_, L"//SB_SYB_XMMC"),
            (std::vector<std::string>{u8"一、主营业务收入", u8"减：主营业务成本", u8"R&D <费用>"}));
  EXPECT_EQ(MsxmlTexts(output_, L"/DZSBB/SB_ZCFZB/SB_ZCFZB_MXXX/SB_ZCFZB_XM/SB_ZCFZB_XMMC"),
            (std::vector<std::string>{u8"货币资金", u8"资产总计", u8"短期借款", u8"实收资本"}));
}


TEST_F(FilingByType, BalanceSheetInAnyLetterCase) {
  std::size_t runs = 0;
  for (const char* type : {"ZCFZB", "zcfzb", "ZcFzB"}) {
    SCOPED_TRACE(type);
    DeleteFileA(output_.c_str());
    MessageBuffer message;
    ASSERT_EQ(ByType(type, BalanceTemplate(), message), 0) << Readable(message.Text());
    EXPECT_TRUE(message.Untouched());
    EXPECT_TRUE(OutputHolds([](const std::string& today) {
      return kFilingHead + BalanceSection(today) + "</DZSBB>";
    }));
    EXPECT_EQ(ToolRuns().size(), ++runs);
    EXPECT_EQ(LastToolRuns(1),
              std::vector<std::string>{ToolRun("voktemp1.rep", "2007", "2007-02-28")});
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"rep_vok.xml", "rep_vok1.xml"}));
    EXPECT_EQ(ReadBytes(InLocation("rep_vok1.xml")), FixtureBytes("balance.rep"));
  }
  EXPECT_EQ(ReadBytes(BalanceTemplate()), FixtureBytes("balance.rep")) << "the template changed";
}

TEST_F(FilingByType, IncomeStatementInAnyLetterCase) {
  WriteBytes(output_, std::string(5000, 'x'));
  for (const char* type : {"SYB", "syb", "sYb"}) {
    SCOPED_TRACE(type);
    MessageBuffer message;
    ASSERT_EQ(ByType(type, IncomeTemplate(), message), 0) << Readable(message.Text());
    EXPECT_TRUE(message.Untouched());
    EXPECT_TRUE(OutputHolds([](const std::string&) {
      return kFilingHead + IncomeSectionV2("200702") + "</DZSBB>";
    }));
  }
  EXPECT_EQ(ListFolder(caller_.path()), std::vector<std::string>{outputName_});
}

TEST_F(FilingByType, UnsupportedTypeFailsAfterTheRun) {
  std::size_t runs = 0;
  for (const char* type : {"", "XJLLB", "S YB", "SYBB"}) {
    SCOPED_TRACE(std::string("type \"") + type + "\"");
    DeleteFileA(InLocation("rep_vok1.xml").c_str());
    MessageBuffer message;
    EXPECT_EQ(ByType(type, IncomeTemplate(), message), -1);
    EXPECT_TRUE(message.Holds(expected::UnsupportedReportType()));
    EXPECT_EQ(ToolRuns().size(), ++runs) << "the tool must have run";
    EXPECT_EQ(ReadBytes(InLocation("rep_vok1.xml")), FixtureBytes("income.rep"));
    EXPECT_FALSE(Exists(output_));
  }
}

TEST_F(FilingByType, TemplateIsTheCallersPathAsGiven) {
  EXPECT_EQ(ByType("SYB", templates_ / u8"缺少.rep", message_), -1);
  EXPECT_TRUE(message_.Holds(expected::TemplateCopyFailed()));
  EXPECT_FALSE(Exists(InLocation("vokwqm7.log"))) << "the tool was started";

  // A path that exists only below the installation is not looked up there.
  InstallNational();
  MessageBuffer relative;
  EXPECT_EQ(ByType("SYB", Gbk(u8"\\vokModel\\国税申报\\hxsyb.rep"), relative), -1);
  EXPECT_TRUE(relative.Holds(expected::TemplateCopyFailed()));
  EXPECT_FALSE(Exists(InLocation("vokwqm7.log")));
  EXPECT_FALSE(Exists(output_));
}

TEST_F(FilingByType, ToolWithoutOutputHasItsOwnMessage) {
  ScopedEnvironment silent("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(ByType("SYB", IncomeTemplate(), message_), -1);
  EXPECT_TRUE(message_.Holds(expected::ByTypeNoOutput()));
  EXPECT_EQ(ToolRuns().size(), 1u);
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{"voktemp1.rep"});
  EXPECT_FALSE(Exists(output_));
}

// What a desk can do to the files and inputs around a call.
class HostileFiling : public Filing {};

TEST_F(HostileFiling, LockedOutputFileIsLeftAsItWas) {
  InstallNational();
  WriteBytes(output_, "the previous filing");
  {
    // Another program holds the file open without sharing it.
    HANDLE held = CreateFileA(output_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(National(message_), -1);
    CloseHandle(held);
  }
  EXPECT_TRUE(message_.Holds(expected::OutputWriteFailed()));
  EXPECT_EQ(ReadBytes(output_).value_or("<gone>"), "the previous filing");
  EXPECT_EQ(ListFolder(caller_.path()), std::vector<std::string>{outputName_});
}

TEST_F(HostileFiling, ReadOnlyOutputFileIsNotReplaced) {
  if (!ReadOnlyIsEnforced(caller_.path())) GTEST_SKIP() << "read-only files stay writable here";
  InstallNational();
  WriteBytes(output_, "the previous filing");
  ASSERT_TRUE(SetFileAttributesA(output_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(National(message_), -1);
  EXPECT_TRUE(message_.Holds(expected::OutputWriteFailed()));
  SetFileAttributesA(output_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(output_).value_or("<gone>"), "the previous filing");
}

TEST_F(HostileFiling, ToolThatIsNoProgramCannotBeStarted) {
  InstallNational();
  WriteBytes(install_.InLocation("\\vokwqm7.exe"), "MZ this is no program");
  EXPECT_EQ(National(message_), -1);
  EXPECT_TRUE(message_.Holds(Gbk(u8"在生成损益数据时,调用接口程序失败!")));
  EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"voktemp1.rep", "voktemp2.rep"}));
  EXPECT_FALSE(Exists(output_));
}

TEST_F(HostileFiling, FieldLongerThanAnyCommandLineIsRefusedAtTheStart) {
  InstallNational();
  login_ = BatchLogin("001", "2007", "2", std::string(200000, 's').c_str());
  EXPECT_EQ(National(message_), -1);
  EXPECT_TRUE(message_.Holds(Gbk(u8"在生成损益数据时,调用接口程序失败!")));
  EXPECT_TRUE(ToolRuns().empty());
}

TEST_F(HostileFiling, DeeplyNestedLoginTexts) {
  InstallNational();
  std::string login = login_;
  for (int depth = 0; depth < 200; ++depth) login = "<n>" + login + "</n>";
  MessageBuffer nested;
  EXPECT_EQ(library_.GetReportDate()(login.c_str(), output_.c_str(), nested.get()), 0)
      << Readable(nested.get());

  std::string deep;
  for (int depth = 0; depth < 100000; ++depth) deep += "<n>";
  deep += login_;
  for (int depth = 0; depth < 100000; ++depth) deep += "</n>";
  EXPECT_EQ(library_.GetReportDate()(deep.c_str(), output_.c_str(), message_.get()), -1);
  EXPECT_TRUE(message_.Holds(expected::ParseFailed()));
}

}  // namespace
}  // namespace vok::wine_test
