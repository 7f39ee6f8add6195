// Failure rows that real files cannot produce when the tests run as root (a
// full disk, a copy or a start refused by the system), reached through the
// POSIX layer's injected faults. The exports' work is called through the
// core linked into this binary, under the same ExportCall guard the exported
// functions use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "interface/export_call.h"
#include "interface/requests.h"
#include "platform/files.h"
#include "platform/faults.h"
#include "platform/process.h"
#include "support/test_support.h"

namespace vok {
namespace {

namespace fs = std::filesystem;
namespace faults = platform::faults;
using faults::Operation;
using test::Exists;
using test::FolderEntries;
using test::Gbk;
using test::ReadFile;
using test::WriteFile;

const std::string kDataDir = std::string(VOKQM7_TEST_DATA_DIR) + "/filing/";

class FaultTest : public ::testing::Test {
 protected:
  FaultTest() : install_(test::SharedInstallation()) {
    std::error_code ignored;
    for (const char* name : {"rep_vok.xml", "rep_vok1.xml", "rep_vok2.xml", "voktemp.rep",
                             "voktemp1.rep", "voktemp2.rep", "vokwqm7.args", "vokwqm7.log",
                             "vokdesk.args"}) {
      fs::remove(install_.InLocation(name), ignored);
    }
    fs::copy_file(kDataDir + "income.rep", install_.InLocation("vokModel/国税申报/hxsyb.rep"),
                  fs::copy_options::overwrite_existing);
    fs::copy_file(kDataDir + "balance.rep", install_.InLocation("vokModel/国税申报/hxzcfzb.rep"),
                  fs::copy_options::overwrite_existing);
  }
  ~FaultTest() override { faults::ClearFaults(); }

  template <typename Request>
  int Call(Request request) {
    ExportCall call("FaultTest", buffer_);
    return call.Run(request);
  }
  int National() {
    return Call([&](ExportCall& c) { return GetNationalFiling(c, login_.c_str(), output_.c_str()); });
  }
  int ByType() {
    const std::string login =
        "<Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year><Period>2</Period>"
        "<Server>srv</Server><ReportType>SYB</ReportType><FileRep>" + kDataDir +
        "income.rep</FileRep></LoginInfo></Info>";
    return Call([&](ExportCall& c) { return GetFilingByType(c, login.c_str(), output_.c_str()); });
  }
  size_t ToolRuns() const {
    if (!Exists(install_.InLocation("vokwqm7.log"))) return 0;
    const std::string log = ReadFile(install_.InLocation("vokwqm7.log"));
    return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
  }
  bool Says(const char* utf8) const { return std::string(buffer_) == Gbk(utf8); }

  const test::TestInstallation& install_;
  test::TempFolder caller_;
  std::string login_ = test::BatchLogin("001", "2007", "2", "srv");
  std::string output_ = caller_ / "filing.xml";
  char buffer_[128] = "untouched";
};

TEST_F(FaultTest, FullDiskWhileWritingTheFilingKeepsThePreviousOne) {
  WriteFile(output_, "the previous filing");
  faults::FailNth(Operation::kWriteFile, 1, ENOSPC);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("生成最终数据文件错误,请检查导出文件名称是否合法!")) << buffer_;
  EXPECT_EQ(faults::CallCount(Operation::kWriteFile), 1);
  EXPECT_EQ(ToolRuns(), 2u);
  EXPECT_EQ(ReadFile(output_), "the previous filing");
  EXPECT_EQ(FolderEntries(caller_.path()), std::vector<std::string>{"filing.xml"});

  // The same through the by-type export, with no earlier file: none appears.
  fs::remove(output_);
  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kWriteFile, 1, ENOSPC);
  EXPECT_EQ(ByType(), -1);
  EXPECT_TRUE(Says("生成最终数据文件错误,请检查导出文件名称是否合法!")) << buffer_;
  EXPECT_TRUE(fs::is_empty(caller_.path()));

  // The disk has room again: the next call writes the filing whole.
  faults::ClearFaults();
  ASSERT_EQ(National(), 0) << buffer_;
  EXPECT_EQ(ReadFile(output_).rfind("</DZSBB>"), ReadFile(output_).size() - 8);
}

TEST_F(FaultTest, FailedKeepCopiesNameTheirStatement) {
  // Copies: the two templates, then the first run's export, then the second's.
  WriteFile(output_, "the previous filing");
  faults::FailNth(Operation::kCopyFile, 3, ENOSPC);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("复制损益表数据文件出错!")) << buffer_;
  EXPECT_EQ(ToolRuns(), 1u);
  EXPECT_FALSE(Exists(install_.InLocation("rep_vok1.xml")));

  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kCopyFile, 4, EIO);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("复制资产负债表数据文件出错!")) << buffer_;
  EXPECT_TRUE(Exists(install_.InLocation("rep_vok1.xml")));
  EXPECT_FALSE(Exists(install_.InLocation("rep_vok2.xml")));
  EXPECT_EQ(ReadFile(output_), "the previous filing");

  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kCopyFile, 2, ENOSPC);  // the template, then the export
  EXPECT_EQ(ByType(), -1);
  EXPECT_TRUE(Says("复制数据文件出错!")) << buffer_;
  EXPECT_EQ(ReadFile(output_), "the previous filing");
}

TEST_F(FaultTest, FailedTemplateCopiesStopBeforeAnyRun) {
  faults::FailNth(Operation::kCopyFile, 1, EACCES);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("复制损益表模版文件出错，请检查模版文件是否存在!")) << buffer_;
  EXPECT_FALSE(Exists(install_.InLocation("voktemp1.rep")));

  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kCopyFile, 2, ENOSPC);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("复制资产负债表模版文件出错，请检查模版文件是否存在!")) << buffer_;
  EXPECT_TRUE(Exists(install_.InLocation("voktemp1.rep")));
  EXPECT_FALSE(Exists(install_.InLocation("voktemp2.rep")));
  EXPECT_EQ(ToolRuns(), 0u);
  EXPECT_FALSE(Exists(output_));
}

TEST_F(FaultTest, RefusedToolStartsGiveEachRunsLaunchMessage) {
  faults::FailNth(Operation::kStartProcess, 1, ENOMEM);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("在生成损益数据时,调用接口程序失败!")) << buffer_;
  EXPECT_EQ(ToolRuns(), 0u);

  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kStartProcess, 2, EAGAIN);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("在生成资产负债数据时,调用接口程序失败!")) << buffer_;
  EXPECT_EQ(ToolRuns(), 1u);

  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kStartProcess, 1, EAGAIN);
  EXPECT_EQ(ByType(), -1);
  EXPECT_TRUE(Says("在生成数据时,调用接口程序失败!")) << buffer_;

  const std::string data = caller_ / "data.xml";
  const std::string template_path = kDataDir + "income.rep";
  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kStartProcess, 1, ENOMEM);
  EXPECT_EQ(Call([&](ExportCall& c) {
              return GetSingleReport(c, login_.c_str(), 0, template_path.c_str(), data.c_str());
            }),
            -1);
  EXPECT_TRUE(Says("调用接口程序失败!")) << buffer_;
  EXPECT_FALSE(Exists(data));

  const std::string open_login =
      "<Info><LoginInfo><AccountCode>001</AccountCode><UserID>u</UserID><Password>p</Password>"
      "<LoginDate>2007-03-05</LoginDate><Year>2007</Year><Period>3</Period><Server>s</Server>"
      "<FileRep>f</FileRep></LoginInfo></Info>";
  std::strcpy(buffer_, "untouched");
  faults::FailNth(Operation::kStartProcess, 1, ENOMEM);
  EXPECT_EQ(Call([&](ExportCall& c) { return OpenInteractiveReport(c, open_login.c_str()); }), -1);
  EXPECT_TRUE(Says("在生成数据时,调用接口程序失败!")) << buffer_;
  EXPECT_FALSE(Exists(install_.InLocation("vokdesk.args")));
}

TEST_F(FaultTest, FailedDeletionsAndAttributeChangesAreNotFatal) {
  // A stale export that cannot be removed is overwritten by the run; a work
  // file that stays read-only or behind does no harm to the filing.
  WriteFile(install_.InLocation("rep_vok.xml"), "stale export");
  test::MakeReadOnly(install_.InLocation("vokModel/国税申报/hxsyb.rep"));
  faults::FailNth(Operation::kDeleteFile, 1, EBUSY);
  faults::FailNth(Operation::kSetFileAttributesNormal, 1, EPERM);
  const int result = National();
  fs::permissions(install_.InLocation("vokModel/国税申报/hxsyb.rep"), fs::perms::owner_write,
                  fs::perm_options::add);
  ASSERT_EQ(result, 0) << buffer_;
  EXPECT_STREQ(buffer_, "untouched");
  EXPECT_EQ(faults::CallCount(Operation::kSetFileAttributesNormal), 1);
  EXPECT_GE(faults::CallCount(Operation::kDeleteFile), 2);
  EXPECT_EQ(ReadFile(install_.InLocation("rep_vok1.xml")), ReadFile(kDataDir + "income.rep"));
}

TEST_F(FaultTest, BusyFilesAreWaitedOutForAboutASecondAndNoLonger) {
  // The first template copy meets a busy file three times, then a free one;
  // so does the document's replacement.
  faults::FailNext(Operation::kCopyFile, 3, EBUSY);
  faults::FailNext(Operation::kWriteFile, 2, EBUSY);
  ASSERT_EQ(National(), 0) << buffer_;
  EXPECT_EQ(faults::CallCount(Operation::kCopyFile), 2 + 2 + 3);  // templates, keeps, retries
  EXPECT_EQ(faults::CallCount(Operation::kWriteFile), 1 + 2);
  EXPECT_EQ(ReadFile(output_).rfind("</DZSBB>"), ReadFile(output_).size() - 8);

  // Busy for good: the copy gives up with the staging's own message.
  std::strcpy(buffer_, "untouched");
  faults::FailNext(Operation::kCopyFile, 1000, EBUSY);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(Says("复制损益表模版文件出错，请检查模版文件是否存在!")) << buffer_;
  EXPECT_GT(faults::CallCount(Operation::kCopyFile), 3);
  EXPECT_LT(faults::CallCount(Operation::kCopyFile), 20);

  // Any other failure counts at once.
  faults::FailNth(Operation::kCopyFile, 1, EACCES);
  EXPECT_EQ(National(), -1);
  EXPECT_EQ(faults::CallCount(Operation::kCopyFile), 1);
}

TEST_F(FaultTest, PlatformCallsFailWithTheChosenError) {
  const std::string from = caller_ / "a.txt";
  const std::string to = caller_ / "b.txt";
  WriteFile(from, "bytes");
  faults::FailNth(Operation::kCopyFile, 2, EXDEV);
  EXPECT_TRUE(platform::CopyFile(from, to));
  errno = 0;
  EXPECT_FALSE(platform::CopyFile(from, to));
  EXPECT_EQ(errno, EXDEV);
  EXPECT_TRUE(platform::CopyFile(from, to));  // only the chosen call fails

  faults::FailNth(Operation::kWriteFile, 1, ENOSPC);
  errno = 0;
  EXPECT_FALSE(platform::WriteWholeFile(to, "0123456789"));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(ReadFile(to), "01234");  // the disk filled part way

  int error = 0;
  faults::FailNth(Operation::kStartProcess, 1, ENOMEM);
  EXPECT_FALSE(platform::ChildProcess::Start("\"/bin/true\"", &error).has_value());
  EXPECT_EQ(error, ENOMEM);
  faults::FailNth(Operation::kStartProcess, 1, EAGAIN);
  EXPECT_FALSE(platform::StartDetached("\"/bin/true\""));

  faults::ClearFaults();
  EXPECT_TRUE(platform::DeleteFile(to));
  EXPECT_EQ(faults::CallCount(Operation::kDeleteFile), 0);  // not counted while disarmed
}

}  // namespace
}  // namespace vok
