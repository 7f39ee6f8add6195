// What an accountant's desk can do to the files and the report tool around
// a call: read-only files and folders, an output path that is a folder, a
// tool that is no program or crashes, two processes calling at once. Each
// call ends with a result and its message, and nothing the caller had is
// lost.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "filing_fixture.h"
#include "vokqm7.h"

namespace vok::test {
namespace {

namespace fs = std::filesystem;

const char kOutputMessage[] = "生成最终数据文件错误,请检查导出文件名称是否合法!";

void SetMode(const std::string& path, mode_t mode) {
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

class HostileFilesTest : public FilingFixture {
 protected:
  int National() { return GetReportDate(login_.c_str(), output_.c_str(), buffer_.bytes); }
  int ByType() {
    return GetReportV2(ByTypeLogin("SYB", kFilingDataDir + "income.rep").c_str(), output_.c_str(),
                       buffer_.bytes);
  }
  std::vector<std::string> CallerFiles() const { return FolderEntries(caller_.path()); }
};

TEST_F(HostileFilesTest, OutputPathThatIsAFolderIsLeftAsItWas) {
  InstallNational();
  MakeFolders(output_);
  WriteFile(output_ + "/inside.txt", "kept");
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk(kOutputMessage)));
  EXPECT_EQ(ToolRuns().size(), 2u);

  Buffer by_type;
  EXPECT_EQ(GetReportV2(ByTypeLogin("ZCFZB", kFilingDataDir + "balance.rep").c_str(),
                        output_.c_str(), by_type.bytes), -1);
  EXPECT_TRUE(by_type.Holds(Gbk(kOutputMessage)));
  EXPECT_EQ(ReadFile(output_ + "/inside.txt"), "kept");
  EXPECT_EQ(CallerFiles(), std::vector<std::string>{"filing.xml"});
}

TEST_F(HostileFilesTest, ReadOnlyOutputFileIsNotReplaced) {
  InstallNational();
  WriteFile(output_, "the previous filing");
  MakeReadOnly(output_);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk(kOutputMessage)));
  EXPECT_EQ(ReadFile(output_), "the previous filing");
  EXPECT_TRUE(IsReadOnly(output_));
  EXPECT_EQ(CallerFiles(), std::vector<std::string>{"filing.xml"});
}

TEST_F(HostileFilesTest, ReadOnlyWorkFileLeftBehindStopsTheCopyUntilRemoved) {
  // A read-only template and no balance-sheet template: the first work file
  // stays behind with the template's attributes.
  InstallNational("income.rep", nullptr);
  MakeReadOnly(install_.InLocation("vokModel/国税申报/hxsyb.rep"));
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("复制资产负债表模版文件出错，请检查模版文件是否存在!")));
  ASSERT_TRUE(IsReadOnly(install_.InLocation("voktemp1.rep")));

  // With every template in place the stale read-only file can be neither
  // deleted nor replaced: the income template's copy fails, before any run.
  InstallNational(nullptr, "balance.rep");
  WriteFile(output_, "the previous filing");
  Buffer stuck;
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), stuck.bytes), -1);
  EXPECT_TRUE(stuck.Holds(Gbk("复制损益表模版文件出错，请检查模版文件是否存在!")));
  EXPECT_TRUE(ToolRuns().empty());
  EXPECT_EQ(ReadFile(output_), "the previous filing");

  SetMode(install_.InLocation("voktemp1.rep"), 0644);
  Buffer again;
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), again.bytes), 0) << again.bytes;
}

TEST_F(HostileFilesTest, ReadOnlyKeepTargetsFailTheirCopy) {
  InstallNational();
  // The combined export's first keep target, left read-only in the
  // installation: its deletion fails quietly, then the keep copy fails.
  WriteFile(install_.InLocation("rep_vok1.xml"), "an export nobody may touch");
  MakeReadOnly(install_.InLocation("rep_vok1.xml"));
  WriteFile(output_, "the previous filing");
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("复制损益表数据文件出错!")));
  EXPECT_EQ(ReadFile(install_.InLocation("rep_vok1.xml")), "an export nobody may touch");
  EXPECT_EQ(ToolRuns().size(), 1u);
  EXPECT_EQ(ReadFile(output_), "the previous filing");
  SetMode(install_.InLocation("rep_vok1.xml"), 0644);

  // GetReport's keep target is the caller's own file.
  const std::string data = caller_ / "data.xml";
  WriteFile(data, "the caller's earlier data");
  MakeReadOnly(data);
  const std::string template_path = kFilingDataDir + "income.rep";
  Buffer single;
  EXPECT_EQ(GetReport(login_.c_str(), 0, template_path.c_str(), data.c_str(), single.bytes), -1);
  EXPECT_TRUE(single.Holds(Gbk("请检查指定文件名称是否正确!")));
  EXPECT_EQ(ReadFile(data), "the caller's earlier data");
}

TEST_F(HostileFilesTest, ToolThatIsNoProgramCannotBeStarted) {
  InstallNational();
  const std::string tool = install_.InLocation("vokwqm7.exe");
  const std::string real = ReadFile(tool);
  // Without execute permission (even root cannot run it), then a file that
  // is executable but no program the system can load.
  SetMode(tool, 0644);
  EXPECT_EQ(National(), -1);
  EXPECT_TRUE(buffer_.Holds(Gbk("在生成损益数据时,调用接口程序失败!")));

  SetMode(tool, 0755);
  WriteFile(tool, "MZ this is no program");
  Buffer garbage;
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), garbage.bytes), -1);
  EXPECT_TRUE(garbage.Holds(Gbk("在生成损益数据时,调用接口程序失败!")));
  EXPECT_TRUE(InLocation("voktemp1.rep"));
  EXPECT_FALSE(Exists(output_));

  WriteFile(tool, real);
  Buffer restored;
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), restored.bytes), 0) << restored.bytes;
}

TEST_F(HostileFilesTest, CrashingToolIsJudgedByItsOutput) {
  InstallNational();
  {
    // It aborts after writing its export: the export is what counts.
    ScopedEnv crash("VOKWQM7_CRASH", "after");
    ASSERT_EQ(National(), 0) << buffer_.bytes;
    EXPECT_TRUE(ParsesAsXml(ReadFile(output_)));
  }
  WriteFile(output_, "the previous filing");
  ScopedEnv crash("VOKWQM7_CRASH", "before");
  Buffer before;
  EXPECT_EQ(GetReportDate(login_.c_str(), output_.c_str(), before.bytes), -1);
  EXPECT_TRUE(before.Holds(Gbk("接口程序无损益表数据文件输出!")));
  EXPECT_EQ(ReadFile(output_), "the previous filing");
}

// Root writes through any folder's permissions, so the call runs in a
// child process as an unprivileged user (nobody) when the tests run as
// root. The child reports through its exit code: 0 when the call gave the
// expected result and message.
class ReadOnlyFolderTest : public HostileFilesTest {
 protected:
  ReadOnlyFolderTest() {
    // The unprivileged user must reach the installation and the caller's
    // folder.
    SetMode(install_.temp().path(), 0755);
    SetMode(caller_.path(), 0755);
    InstallNational();
  }
  ~ReadOnlyFolderTest() override {
    ::chmod(install_.location().c_str(), 0755);
    ::chmod(caller_.path().c_str(), 0700);
    ::chmod(install_.temp().path().c_str(), 0700);
  }

  int CallAsUnprivilegedUser(const char* expected_message) {
    std::fflush(nullptr);
    const test::NobodysRuntimeFolder runtime;
    const pid_t child = ::fork();
    if (child == 0) {
      if (::geteuid() == 0 && !test::BecomeNobody(runtime)) std::_Exit(3);
      Buffer buffer;
      const bool as_expected = GetReportDate(login_.c_str(), output_.c_str(), buffer.bytes) == -1 &&
                               buffer.Holds(Gbk(expected_message));
      std::_Exit(as_expected ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
};

TEST_F(ReadOnlyFolderTest, InstallationFolderTheUserCannotWriteIn) {
  SetMode(install_.location(), 0555);
  EXPECT_EQ(CallAsUnprivilegedUser("复制损益表模版文件出错，请检查模版文件是否存在!"), 0);
  EXPECT_FALSE(InLocation("voktemp1.rep"));
  EXPECT_TRUE(ToolRuns().empty());
  EXPECT_TRUE(CallerFiles().empty());
}

TEST_F(ReadOnlyFolderTest, OutputFolderTheUserCannotWriteIn) {
  SetMode(install_.location(), 0777);
  SetMode(caller_.path(), 0555);
  EXPECT_EQ(CallAsUnprivilegedUser(kOutputMessage), 0);
  EXPECT_TRUE(InLocation("rep_vok2.xml"));  // both runs went through
  EXPECT_TRUE(CallerFiles().empty());
}

// Two filing clients on one desk calling at the same moment share the
// installation's work files. Which of them gets a document is up to them;
// each call must end with a result, and a document handed over must be
// whole.
TEST_F(HostileFilesTest, OverlappingCallsFromTwoProcessesEachEndWithAResult) {
  InstallNational();
  ScopedEnv slow("VOKWQM7_SLEEP_MS", "100");
  const std::set<std::string> known_failures = {
      Gbk("接口程序无损益表数据文件输出!"), Gbk("接口程序无资产负债表文件输出!"),
      Gbk("复制损益表模版文件出错，请检查模版文件是否存在!"),
      Gbk("复制资产负债表模版文件出错，请检查模版文件是否存在!"),
      Gbk("复制损益表数据文件出错!"), Gbk("复制资产负债表数据文件出错!"),
      Gbk("分析损益表数据文件错误!"), Gbk("分析资产负债表数据文件错误!")};
  for (int round = 0; round < 3; ++round) {
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
      std::fflush(nullptr);
      children[i] = ::fork();
      ASSERT_GE(children[i], 0);
      if (children[i] == 0) {
        Buffer buffer;
        const std::string output = caller_ / ("filing" + std::to_string(i) + ".xml");
        const int result = GetReportDate(login_.c_str(), output.c_str(), buffer.bytes);
        WriteFile(caller_ / ("result" + std::to_string(i)),
                  std::to_string(result) + "\n" + (result == 0 ? "" : buffer.bytes));
        std::_Exit(0);
      }
    }
    for (int i = 0; i < 2; ++i) {
      int status = 0;
      ASSERT_EQ(::waitpid(children[i], &status, 0), children[i]);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "call " << i << " crashed";
      const std::string result = caller_ / ("result" + std::to_string(i));
      const std::vector<std::string> lines = Lines(ReadFile(result));
      ASSERT_FALSE(lines.empty());
      const std::string output = caller_ / ("filing" + std::to_string(i) + ".xml");
      if (lines[0] == "0") {
        const std::string document = ReadFile(output);
        EXPECT_TRUE(ParsesAsXml(document)) << "round " << round << ", call " << i;
        EXPECT_EQ(document.rfind("</DZSBB>"), document.size() - 8);
      } else {
        EXPECT_EQ(lines[0], "-1");
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(known_failures.count(lines[1]), 1u) << lines[1];
        EXPECT_FALSE(Exists(output));
      }
      fs::remove(output);
    }
  }
}

}  // namespace
}  // namespace vok::test
