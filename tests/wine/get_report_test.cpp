// GetReport end to end: the login frame, the template check, staging, one
// run of the stand-in batch tool and the copy of its cell export.
#include <string>

#include <gtest/gtest.h>

#include "expected_messages.h"
#include "platform/path_parts.h"
#include "test_installation.h"
#include "vok_library.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

// The stand-in copies the work file as its cell export, so the template's
// bytes are what must arrive at the caller's data file.
std::string TemplateXml() {
  return Gbk(u8"<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<vok><cell row1=\"1\" col1=\"1\" "
             u8"row2=\"1\" col2=\"1\">资产</cell></vok>\r\n");
}

class GetReportRun : public ::testing::Test {
 protected:
  void SetUp() override {
    install_.Register();
    ASSERT_TRUE(library_.loaded()) << "error " << library_.load_error();
    template_ = install_.Place(u8"模版\\单表.rep", templateXml_);
    dataFile_ = install_.root() + Gbk(u8"\\输出\\数据.xml");
    MakeFolder(platform::FolderOfPath(dataFile_));
  }

  int Run(int trailingNumber, const std::string& dataFile) {
    return library_.GetReport()(login_.c_str(), trailingNumber, template_.c_str(),
                                dataFile.c_str(), message_.get());
  }

  // The command the library must give the batch tool, after the program
  // token: account, year (%4d), report date, "server", "work file", number.
  std::string ExpectedTail(const char* number) const {
    return "-LQM7_VOK{001 2007 2007-03-31 \"" + Gbk(u8"账务服务器") + "\" \"" +
           install_.InLocation("\\voktemp.rep") + "\" " + number + " }";
  }

  TestInstallation install_{u8"测试安装"};
  VokLibrary library_;
  MessageBuffer message_;
  std::string login_ = BatchLogin("001", "2007", "3", u8"账务服务器");
  std::string template_;
  std::string dataFile_;
  const std::string templateXml_ = TemplateXml();
};

TEST_F(GetReportRun, CopiesTheCellExportAndLeavesTheBufferAlone) {
  WriteBytes(dataFile_, "an older data file");
  ASSERT_EQ(Run(7, dataFile_), 0);
  EXPECT_TRUE(message_.Untouched());
  EXPECT_EQ(install_.BatchArgs(), ExpectedTail("7"));
  EXPECT_EQ(ReadBytes(dataFile_).value_or("<none>"), templateXml_);
  EXPECT_FALSE(Exists(install_.InLocation("\\voktemp.rep"))) << "the work file stayed";
  EXPECT_EQ(ReadBytes(install_.InLocation("\\rep_vok.xml")).value_or("<none>"), templateXml_)
      << "the cell export stays in the installation";
}

TEST_F(GetReportRun, CommandCarriesTheNumberAndTheDataPathIsTrimmed) {
  ASSERT_EQ(Run(-1, " \t" + dataFile_ + " \r\n"), 0) << Readable(message_.Text());
  EXPECT_EQ(install_.BatchArgs(), ExpectedTail("-1"));
  EXPECT_EQ(ReadBytes(dataFile_).value_or("<none>"), templateXml_);

  // The tool's exit code is not looked at, and the call waits for the tool
  // however long it takes.
  ScopedEnvironment exitCode("VOKWQM7_EXIT_CODE", "5");
  ScopedEnvironment slow("VOKWQM7_SLEEP_MS", "1500");
  DeleteFileA(dataFile_.c_str());
  const std::uint64_t start = NowMs();
  ASSERT_EQ(Run(0, dataFile_), 0) << Readable(message_.Text());
  EXPECT_GE(NowMs() - start, 1400u);
  EXPECT_EQ(install_.BatchArgs(), ExpectedTail("0"));
  EXPECT_TRUE(Exists(dataFile_));
  EXPECT_TRUE(message_.Untouched());
}

TEST_F(GetReportRun, MissingTemplateTouchesNothingInTheInstallation) {
  WriteBytes(install_.InLocation("\\rep_vok.xml"), "previous export");
  template_ = install_.root() + "\\no-such.rep";
  EXPECT_EQ(Run(0, dataFile_), -1);
  EXPECT_TRUE(message_.Holds(expected::TemplateMissing()));
  EXPECT_EQ(ReadBytes(install_.InLocation("\\rep_vok.xml")).value_or("<gone>"), "previous export");
  EXPECT_FALSE(Exists(install_.InLocation("\\vokwqm7.args")));
}

TEST_F(GetReportRun, TemplateThatIsAFolderFailsAtTheCopy) {
  template_ = install_.root() + Gbk(u8"\\模版");
  EXPECT_EQ(Run(0, dataFile_), -1);
  EXPECT_TRUE(message_.Holds(expected::TemplateCopyFailed()));
}

TEST_F(GetReportRun, BlankDataPathFailsAfterTheToolRan) {
  EXPECT_EQ(Run(0, "  \t "), -1);
  EXPECT_TRUE(message_.Holds(expected::NoDataFilePath()));
  EXPECT_EQ(install_.BatchArgs(), ExpectedTail("0")) << "the tool must have run";
  EXPECT_FALSE(Exists(install_.InLocation("\\voktemp.rep")));
  EXPECT_TRUE(Exists(install_.InLocation("\\rep_vok.xml")));
}

TEST_F(GetReportRun, ToolWithoutOutputIsReportedAndTheWorkFileStays) {
  WriteBytes(install_.InLocation("\\rep_vok.xml"), "previous export");
  ScopedEnvironment noOutput("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(Run(0, dataFile_), -1);
  EXPECT_TRUE(message_.Holds(expected::SingleNoOutput()));
  EXPECT_FALSE(Exists(install_.InLocation("\\rep_vok.xml"))) << "the stale export was not removed";
  EXPECT_TRUE(Exists(install_.InLocation("\\voktemp.rep")));
  EXPECT_FALSE(Exists(dataFile_));
}

TEST_F(GetReportRun, DataFileInAMissingFolderIsReported) {
  EXPECT_EQ(Run(0, install_.root() + "\\missing\\data.xml"), -1);
  EXPECT_TRUE(message_.Holds(expected::DataFileCopyFailed()));
}

TEST_F(GetReportRun, MissingToolIsReported) {
  ASSERT_TRUE(DeleteFileA(install_.InLocation("\\vokwqm7.exe").c_str()));
  EXPECT_EQ(Run(0, dataFile_), -1);
  EXPECT_TRUE(message_.Holds(expected::SingleLaunchFailed()));
  EXPECT_TRUE(Exists(install_.InLocation("\\voktemp.rep"))) << "the staged work file is kept";
}

TEST_F(GetReportRun, ReadOnlyTemplateGivesAWritableWorkFile) {
  ASSERT_TRUE(SetFileAttributesA(template_.c_str(), FILE_ATTRIBUTE_READONLY));
  // Without a cell export the run fails and leaves the work file to look at.
  ScopedEnvironment noOutput("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(Run(0, dataFile_), -1);
  const DWORD attributes = GetFileAttributesA(install_.InLocation("\\voktemp.rep").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
}

}  // namespace
}  // namespace vok::wine_test
