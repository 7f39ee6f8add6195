// An installation prepared for the filing-document exports: no files left
// by earlier calls, the template folders empty until a test installs the
// fixture templates of tests/data/filing.
#pragma once

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "export_test_support.h"

namespace vok::test {

inline const std::string kFilingDataDir = std::string(VOKQM7_TEST_DATA_DIR) + "/filing/";

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Whether a written document is well-formed XML, as libxml2 reads it.
inline bool ParsesAsXml(const std::string& document) {
  xmlDocPtr doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr,
                                nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlFreeDoc(doc);
  return doc != nullptr;
}

class FilingFixture : public ::testing::Test {
 protected:
  FilingFixture() : install_(SharedInstallation()) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    for (const char* name : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml", "voktemp1.rep",
                             "voktemp2.rep", "vokwqm7.args", "vokwqm7.log"}) {
      fs::remove(install_.InLocation(name), ignored);
    }
    fs::remove_all(install_.InLocation("vokModel"), ignored);
    MakeFolders(install_.InLocation("vokModel/国税申报"));
    MakeFolders(install_.InLocation("vokModel/财务申报"));
  }

  void InstallNational(const char* income = "income.rep", const char* balance = "balance.rep") {
    namespace fs = std::filesystem;
    if (income) {
      fs::copy_file(kFilingDataDir + income, install_.InLocation("vokModel/国税申报/hxsyb.rep"));
    }
    if (balance) {
      fs::copy_file(kFilingDataDir + balance, install_.InLocation("vokModel/国税申报/hxzcfzb.rep"));
    }
  }
  void InstallFinancial() {
    namespace fs = std::filesystem;
    fs::copy_file(kFilingDataDir + "financial_income.rep",
                  install_.InLocation("vokModel/财务申报/lrb.rep"));
    fs::copy_file(kFilingDataDir + "balance.rep", install_.InLocation("vokModel/财务申报/zcfzb.rep"));
  }
  std::string Work(const char* name) const { return install_.library_location() + "\\" + name; }
  std::string ToolRun(const char* work_file, const std::string& date = "2007-02-28") const {
    return "-LQM7_VOK{001 2007 " + date + " \"srv\" \"" + Work(work_file) + "\" 0 }";
  }
  std::vector<std::string> ToolRuns() const {
    if (!InLocation("vokwqm7.log")) return {};
    return Lines(ReadFile(install_.InLocation("vokwqm7.log")));
  }
  bool InLocation(const char* name) const { return Exists(install_.InLocation(name)); }

  // A by-type login for GetReportV2.
  static std::string ByTypeLogin(const std::string& type, const std::string& file_rep) {
    return "<Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year><Period>2</Period>"
           "<Server>srv</Server><ReportType>" + type + "</ReportType><FileRep>" + file_rep +
           "</FileRep></LoginInfo></Info>";
  }

  const TestInstallation& install_;
  TempFolder caller_;
  std::string login_ = BatchLogin("001", "2007", "2", "srv");
  std::string output_ = caller_ / "filing.xml";
  Buffer buffer_;
};

}  // namespace vok::test
