// A cell export left by an earlier call that this call cannot remove
// (read-only here; on Windows also one another program holds open) must
// never pass as the output of this call's tool run.
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "filing_fixture.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

namespace fs = std::filesystem;

class StaleExportTest : public FilingFixture {
 protected:
  ~StaleExportTest() override { RemoveExports(); }

  // The exports and their kept copies, read-only or not (a copy of a
  // read-only export is read-only too).
  void RemoveExports() {
    for (const char* name : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml"}) {
      std::error_code ignored;
      fs::permissions(install_.InLocation(name), fs::perms::owner_write, fs::perm_options::add,
                      ignored);
      fs::remove(install_.InLocation(name), ignored);
    }
  }

  // An earlier call's export, other figures than any of this call's.
  void LeaveReadOnlyExport() {
    fs::copy_file(kFilingDataDir + "balance.rep", stale_, fs::copy_options::overwrite_existing);
    MakeReadOnly(stale_);
  }

  const std::string stale_ = install_.InLocation("rep_vok.xml");
};

TEST_F(StaleExportTest, AnExportTheCallCannotRemoveCountsOnlyWhenTheToolReplacedIt) {
  InstallNational();
  InstallFinancial();
  const std::string data = caller_ / "cells.xml";
  const std::string by_type = ByTypeLogin("SYB", kFilingDataDir + "income.rep");
  const struct {
    const char* name;
    std::function<int(char*)> call;
    const char* no_output;
    std::string written;       // the file the call hands over
    const char* first_export;  // what its first run's export must be
  } kExports[] = {
      {"GetReportDate", [&](char* m) { return GetReportDate(login_.c_str(), output_.c_str(), m); },
       "接口程序无损益表数据文件输出!", output_, "income.rep"},
      {"GetReportDateV2",
       [&](char* m) { return GetReportDateV2(login_.c_str(), output_.c_str(), m); },
       "接口程序无损益表数据文件输出!", output_, "financial_income.rep"},
      {"GetReportV2", [&](char* m) { return GetReportV2(by_type.c_str(), output_.c_str(), m); },
       "接口程序数据文件输出!", output_, "income.rep"},
      {"GetReport",
       [&](char* m) {
         const std::string work = kFilingDataDir + "income.rep";
         return GetReport(login_.c_str(), 0, work.c_str(), data.c_str(), m);
       },
       "接口程序无输出文件!", data, "income.rep"},
  };
  for (const auto& e : kExports) {
    LeaveReadOnlyExport();
    {
      const ScopedEnv silent("VOKWQM7_NO_OUTPUT", "1");
      Buffer buffer;
      EXPECT_EQ(e.call(buffer.bytes), -1) << e.name;
      EXPECT_TRUE(buffer.Holds(Gbk(e.no_output))) << e.name << ": " << buffer.bytes;
      EXPECT_FALSE(Exists(e.written)) << e.name;
    }
    // As on Windows, only root may write into a read-only file.
    if (::geteuid() == 0) {
      Buffer buffer;
      EXPECT_EQ(e.call(buffer.bytes), 0) << e.name << ": " << buffer.bytes;
      const std::string kept =
          e.written == data ? data : install_.InLocation("rep_vok1.xml");
      EXPECT_EQ(ReadFile(kept), ReadFile(kFilingDataDir + e.first_export)) << e.name;
      EXPECT_TRUE(Exists(e.written)) << e.name;
    }
    std::error_code ignored;
    fs::remove(output_, ignored);
    fs::remove(data, ignored);
    RemoveExports();
  }
}

}  // namespace
}  // namespace vok::test
