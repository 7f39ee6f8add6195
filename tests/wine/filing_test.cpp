// The filing-document exports end to end under Wine: GetReportDate,
// GetReportDateV2 and GetReportV2 run the stand-in batch tool on the fixture
// templates of tests/data/filing (the build copies them into "filing" beside
// the test program) and must write the documents of
// tests/exports/filing_documents.h, in GBK.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <objbase.h>
#include <msxml2.h>
#include <oleauto.h>

#include "expected_messages.h"
#include "exports/filing_documents.h"
#include "test_installation.h"
#include "vok_library.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

using vok::test::BalanceSection;
using vok::test::IncomeSectionV1;
using vok::test::IncomeSectionV2;
using vok::test::IncomeSectionV3;
using vok::test::kFilingHead;

constexpr char kServer[] = u8"账务服务器";

std::string Fixture(const char* name) { return ProgramFolder() + "\\filing\\" + name; }

std::string FixtureBytes(const char* name) {
  std::optional<std::string> bytes = ReadBytes(Fixture(name));
  if (!bytes) throw std::runtime_error(std::string("no fixture ") + name + " beside the program");
  return *bytes;
}

// Today as the balance sheet's TBRQ carries it: YYYYMMDD, local time.
std::string Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", static_cast<unsigned>(now.wYear),
                static_cast<unsigned>(now.wMonth), static_cast<unsigned>(now.wDay));
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::wstring WideFromGbk(const std::string& gbk) {
  const int length = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), length);
  return wide;
}

std::string Utf8FromWide(const wchar_t* wide, UINT length) {
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), size, nullptr,
                      nullptr);
  return utf8;
}

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, ComRelease>;

// The texts (UTF-8) of the elements `xpath` selects in the XML file at
// `gbkPath`, as MSXML 3.0 reads the file from disk, declaration and all.
// Throws when the file does not load, so a document MSXML refuses fails.
std::vector<std::string> MsxmlTexts(const std::string& gbkPath, const wchar_t* xpath) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct Apartment {
    bool owned;
    ~Apartment() {
      if (owned) CoUninitialize();
    }
  } apartment{init == S_OK || init == S_FALSE};

  CLSID classId{};
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &classId))) {
    throw std::runtime_error("MSXML 3.0 is not registered");
  }
  IXMLDOMDocument* created = nullptr;
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              reinterpret_cast<void**>(&created))) ||
      created == nullptr) {
    throw std::runtime_error("cannot create an MSXML document");
  }
  Com<IXMLDOMDocument> document(created);
  document->put_async(VARIANT_FALSE);
  document->put_resolveExternals(VARIANT_FALSE);

  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(WideFromGbk(gbkPath).c_str());
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT status = document->load(source, &loaded);
  VariantClear(&source);
  if (status != S_OK || loaded != VARIANT_TRUE) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    throw std::runtime_error("MSXML does not load " + Readable(gbkPath) + ", status " + code);
  }

  BSTR query = SysAllocString(xpath);
  IXMLDOMNodeList* selected = nullptr;
  const HRESULT found = document->selectNodes(query, &selected);
  SysFreeString(query);
  if (FAILED(found) || selected == nullptr) throw std::runtime_error("selectNodes failed");
  Com<IXMLDOMNodeList> list(selected);
  long count = 0;
  list->get_length(&count);
  std::vector<std::string> texts;
  for (long i = 0; i < count; ++i) {
    IXMLDOMNode* item = nullptr;
    if (FAILED(list->get_item(i, &item)) || item == nullptr) throw std::runtime_error("get_item");
    Com<IXMLDOMNode> node(item);
    BSTR text = nullptr;
    if (FAILED(node->get_text(&text))) throw std::runtime_error("get_text failed");
    texts.push_back(Utf8FromWide(text, text != nullptr ? SysStringLen(text) : 0));
    SysFreeString(text);
  }
  return texts;
}

class Filing : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.Register();
    ASSERT_TRUE(library_.loaded()) << "error " << library_.load_error();
    MakeFolder(ModelFolder(u8"国税申报"));
    MakeFolder(ModelFolder(u8"财务申报"));
  }

  std::string ModelFolder(const char* folderUtf8) const {
    return install_.location() + "\\vokModel\\" + Gbk(folderUtf8);
  }
  std::string NationalTemplate(const char* name) const {
    return ModelFolder(u8"国税申报") + "\\" + name;
  }
  void InstallNational(const char* income = "income.rep", const char* balance = "balance.rep") {
    if (income != nullptr) CopyInto(Fixture(income), NationalTemplate("hxsyb.rep"));
    if (balance != nullptr) CopyInto(Fixture(balance), NationalTemplate("hxzcfzb.rep"));
  }
  void InstallFinancial() {
    CopyInto(Fixture("financial_income.rep"), ModelFolder(u8"财务申报") + "\\lrb.rep");
    CopyInto(Fixture("balance.rep"), ModelFolder(u8"财务申报") + "\\zcfzb.rep");
  }

  // Runs one call and notes the day before and after it, for the TBRQ.
  int Dated(const std::function<int()>& call) {
    dayBefore_ = Today();
    const int result = call();
    dayAfter_ = Today();
    return result;
  }
  int National(MessageBuffer& message) {
    return Dated([&] {
      return library_.GetReportDate()(login_.c_str(), output_.c_str(), message.get());
    });
  }
  int Financial(MessageBuffer& message) {
    return Dated([&] {
      return library_.GetReportDateV2()(login_.c_str(), output_.c_str(), message.get());
    });
  }

  // The output file holds exactly the GBK form of `utf8For(today)`; a call
  // that ran across midnight may carry either day.
  ::testing::AssertionResult OutputHolds(
      const std::function<std::string(const std::string& today)>& utf8For) const {
    const std::optional<std::string> written = ReadBytes(output_);
    if (!written) return ::testing::AssertionFailure() << "no output file";
    const std::string expected = Gbk(utf8For(dayBefore_));
    if (*written == expected || *written == Gbk(utf8For(dayAfter_))) {
      return ::testing::AssertionSuccess();
    }
    std::size_t at = 0;
    while (at < written->size() && at < expected.size() && (*written)[at] == expected[at]) ++at;
    return ::testing::AssertionFailure()
           << "output differs from byte " << at << " on (" << written->size() << " bytes, "
           << expected.size() << " expected)\n  written:  " << Readable(*written)
           << "\n  expected: " << Readable(expected);
  }

  // The command line the batch tool must have been given for a work file.
  std::string ToolRun(const char* workFile, const char* year, const char* reportDate) const {
    return "-LQM7_VOK{001 " + std::string(year) + " " + reportDate + " \"" + Gbk(kServer) +
           "\" \"" + install_.root() + "\\vok\\" + workFile + "\" 0 }";
  }
  std::vector<std::string> ToolRuns() const {
    return Lines(ReadBytes(install_.InLocation("\\vokwqm7.log")).value_or(""));
  }
  std::vector<std::string> LastToolRuns(std::size_t count) const {
    std::vector<std::string> runs = ToolRuns();
    if (runs.size() > count) runs.erase(runs.begin(), runs.end() - static_cast<std::ptrdiff_t>(count));
    return runs;
  }

  // The work files and cell exports in the installation folder.
  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> found;
    for (const std::string& name : ListFolder(install_.location())) {
      if (name.rfind("rep_vok", 0) == 0 || name.rfind("voktemp", 0) == 0) found.push_back(name);
    }
    return found;
  }
  std::string InLocation(const char* name) const { return install_.location() + "\\" + name; }

  TestInstallation install_{u8"申报安装"};
  VokLibrary library_;
  ScratchFolder caller_{u8"申报调用方"};
  MessageBuffer message_;
  std::string login_ = BatchLogin("001", "2007", "2", kServer);
  const std::string outputName_ = Gbk(u8"申报数据.xml");
  std::string output_ = caller_.path() + "\\" + outputName_;
  std::string dayBefore_;
  std::string dayAfter_;
};

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

// GetReportV2: the caller names the template (FileRep) and the statement
// (ReportType); the template lives outside the installation.
class FilingByType : public Filing {
 protected:
  void SetUp() override {
    Filing::SetUp();
    CopyInto(Fixture("income.rep"), IncomeTemplate());
    CopyInto(Fixture("balance.rep"), BalanceTemplate());
  }

  std::string IncomeTemplate() const { return templates_ / u8"损益表.rep"; }
  std::string BalanceTemplate() const { return templates_ / u8"资产负债表.rep"; }

  // `type` and `fileRep` go into the login text as they are (GBK).
  std::string Login(const std::string& type, const std::string& fileRep) const {
    return Gbk(u8"<Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year>"
               u8"<Period>2</Period><Server>") +
           Gbk(kServer) + "</Server><ReportType>" + type + "</ReportType><FileRep>" + fileRep +
           "</FileRep></LoginInfo></Info>";
  }
  int ByType(const std::string& type, const std::string& fileRep, MessageBuffer& message) {
    const std::string login = Login(type, fileRep);
    return Dated([&] {
      return library_.GetReportV2()(login.c_str(), output_.c_str(), message.get());
    });
  }

  ScratchFolder templates_{u8"调用方模版"};
};

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
