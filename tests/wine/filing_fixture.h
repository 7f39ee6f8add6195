// The fixture of the filing-document tests under Wine: a test installation
// that the registry names, the loaded DLL, a caller's folder for the output,
// and GetReportDate, GetReportDateV2 and GetReportV2 called as a filing
// client calls them. The build copies the fixture templates of
// tests/data/filing into "filing" beside the test program; the documents
// they must give are in tests/exports/filing_documents.h.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "expected_messages.h"
#include "exports/filing_documents.h"
#include "test_installation.h"
#include "vok_library.h"
#include "wine_support.h"

namespace vok::wine_test {

// The documents the fixture templates must give.
using vok::test::BalanceSection;
using vok::test::IncomeSectionV1;
using vok::test::IncomeSectionV2;
using vok::test::IncomeSectionV3;
using vok::test::kFilingHead;

inline constexpr char kServer[] = u8"账务服务器";

// A fixture template beside the program, and its bytes.
std::string Fixture(const char* name);
std::string FixtureBytes(const char* name);

// Today as the balance sheet's TBRQ carries it: YYYYMMDD, local time.
std::string Today();

std::vector<std::string> Lines(const std::string& text);

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

}  // namespace vok::wine_test
