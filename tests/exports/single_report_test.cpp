// GetReport end to end, with the stand-in batch tool.
#include <gtest/gtest.h>

#include <filesystem>

#include "export_test_support.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

class GetReportTest : public ::testing::Test {
 protected:
  GetReportTest() : install_(SharedInstallation()) {
    std::error_code ignored;
    for (const char* name : {"rep_vok.xml", "voktemp.rep", "vokwqm7.args"}) {
      std::filesystem::remove(install_.InLocation(name), ignored);
    }
    WriteFile(template_path_, "<vok><cell>template cells</cell></vok>");
  }

  int Call(const std::string& data_file, int trailing = 0) {
    return GetReport(login_.c_str(), trailing, template_path_.c_str(), data_file.c_str(),
                     buffer_.bytes);
  }

  const TestInstallation& install_;
  TempFolder caller_;
  std::string login_ = BatchLogin("001", "2007", "2", "srv");
  std::string template_path_ = caller_ / "my report.rep";
  Buffer buffer_;
};

TEST_F(GetReportTest, HandsBackTheCellExport) {
  const std::string data = caller_ / "data.xml";
  WriteFile(data, "an older file that must be replaced whole, and is longer");
  ASSERT_EQ(Call(data), 0);
  EXPECT_TRUE(buffer_.Untouched());
  EXPECT_EQ(ReadFile(data), "<vok><cell>template cells</cell></vok>");
  EXPECT_EQ(install_.BatchCommandTail(), "-LQM7_VOK{001 2007 2007-02-28 \"srv\" \"" +
                                             install_.library_location() + "\\voktemp.rep\" 0 }");
  EXPECT_FALSE(Exists(install_.InLocation("voktemp.rep")));
  EXPECT_TRUE(Exists(install_.InLocation("rep_vok.xml")));
}

TEST_F(GetReportTest, TrailingNumberAndTrimmedDataPath) {
  const std::string data = caller_ / "data.xml";
  ASSERT_EQ(Call("  " + data + "\n", -1), 0);
  EXPECT_EQ(ReadFile(data), "<vok><cell>template cells</cell></vok>");
  const std::string tail = install_.BatchCommandTail();
  EXPECT_EQ(tail.substr(tail.size() - 6), "\" -1 }");
}

TEST_F(GetReportTest, MissingTemplateTouchesNothing) {
  WriteFile(install_.InLocation("rep_vok.xml"), "previous call's export");
  template_path_ = caller_ / "absent.rep";
  EXPECT_EQ(Call(caller_ / "data.xml"), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("请检查模版文件是否存在!")));
  EXPECT_TRUE(Exists(install_.InLocation("rep_vok.xml")));
  EXPECT_FALSE(Exists(install_.InLocation("vokwqm7.args")));
}

TEST_F(GetReportTest, FolderAsTemplateFailsAtTheCopy) {
  template_path_ = caller_.path();
  EXPECT_EQ(Call(caller_ / "data.xml"), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("复制模版文件出错，请检查模版文件是否存在!")));
  EXPECT_FALSE(Exists(install_.InLocation("vokwqm7.args")));
}

TEST_F(GetReportTest, BlankDataPathFailsAfterTheRun) {
  EXPECT_EQ(Call(" \t "), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("没有指定生成的数据文件路径!")));
  EXPECT_TRUE(Exists(install_.InLocation("vokwqm7.args")));
  EXPECT_FALSE(Exists(install_.InLocation("voktemp.rep")));

  Buffer null_path;
  EXPECT_EQ(GetReport(login_.c_str(), 0, template_path_.c_str(), nullptr, null_path.bytes), -1);
  EXPECT_TRUE(null_path.Holds(Gbk("没有指定生成的数据文件路径!")));
}

TEST_F(GetReportTest, DataPathInAMissingFolder) {
  EXPECT_EQ(Call(caller_ / "no/such/folder/data.xml"), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("请检查指定文件名称是否正确!")));
}

TEST_F(GetReportTest, ToolWithoutOutput) {
  ScopedEnv silent("VOKWQM7_NO_OUTPUT", "1");
  EXPECT_EQ(Call(caller_ / "data.xml"), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("接口程序无输出文件!")));
  EXPECT_TRUE(Exists(install_.InLocation("voktemp.rep")));
}

TEST_F(GetReportTest, VeryLongFieldsAreNoOverflow) {
  // Far beyond any fixed command buffer: the command is built to size and
  // the system decides whether it can start it.
  login_ = BatchLogin(std::string(5000, 'A'), "2007", "2", std::string(3000, 's'));
  const std::string data = caller_ / "data.xml";
  ASSERT_EQ(Call(data), 0);
  EXPECT_NE(install_.BatchCommandTail().find(std::string(5000, 'A') + " 2007 "), std::string::npos);
}

}  // namespace
}  // namespace vok::test
