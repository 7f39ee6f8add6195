// Starting, waiting for and ending child processes, with the stand-in
// interactive tool as the child: it records the command-line tail it got.
#include <string>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

using platform::ChildProcess;
using platform::WaitOutcome;

class PlatformProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyInto(ProgramFolder() + "\\vokdesk.exe", tool_);
    CopyInto(ProgramFolder() + "\\vokdesk.exe", plainTool_);
  }

  std::string Recorded(const ScratchFolder& folder) {
    return WaitForFile(folder / "vokdesk.args", 15000).value_or("<no vokdesk.args>");
  }

  // A folder name with a blank and Chinese characters needs the quotes.
  ScratchFolder folder_{u8"工具 目录"};
  std::string tool_ = folder_ / "vokdesk.exe";
  ScratchFolder plain_{"plain-tools"};
  std::string plainTool_ = plain_ / "vokdesk.exe";
};

TEST_F(PlatformProcess, TheCommandLineReachesTheChildByteForByte) {
  const std::string tail = Gbk(u8"-L{001\t  95\t张三\t\t\"引号\" {括号}  两个空格}");
  int error = -1;
  std::optional<ChildProcess> child = ChildProcess::Start("\"" + tool_ + "\" " + tail, &error);
  ASSERT_TRUE(child.has_value()) << "error " << error;
  EXPECT_EQ(child->Wait(std::nullopt), WaitOutcome::kExited);
  EXPECT_EQ(Recorded(folder_), tail) << Readable(Recorded(folder_));

  // An unquoted program token ends at the first blank; only that one blank
  // is taken off the tail.
  child = ChildProcess::Start(plainTool_ + "  two blanks before", &error);
  ASSERT_TRUE(child.has_value()) << "error " << error;
  EXPECT_EQ(child->Wait(10000), WaitOutcome::kExited);
  EXPECT_EQ(Recorded(plain_), " two blanks before");
}

TEST_F(PlatformProcess, AProgramThatCannotStartGivesTheSystemError) {
  int error = 0;
  EXPECT_FALSE(ChildProcess::Start("\"" + (folder_ / "missing.exe") + "\" x", &error).has_value());
  EXPECT_TRUE(error == 2 || error == 3) << "error " << error;  // file or path not found
  EXPECT_FALSE(ChildProcess::Start("\"" + (folder_ / "missing.exe") + "\"").has_value());
  EXPECT_FALSE(platform::StartDetached("\"" + (folder_ / "missing.exe") + "\" x"));
}

TEST_F(PlatformProcess, ATimedOutChildIsTerminated) {
  ScopedEnvironment slow("VOKDESK_SLEEP_MS", "20000");
  std::optional<ChildProcess> child = ChildProcess::Start("\"" + tool_ + "\" x");
  ASSERT_TRUE(child.has_value());
  const std::uint64_t start = NowMs();
  EXPECT_EQ(child->Wait(300), WaitOutcome::kTimedOut);
  EXPECT_GE(NowMs() - start, 250u);
  EXPECT_TRUE(child->Terminate(0));
  EXPECT_EQ(child->Wait(0), WaitOutcome::kExited) << "Terminate returned before the end";
  EXPECT_LT(NowMs() - start, 10000u);
  EXPECT_FALSE(Exists(folder_ / "vokdesk.args")) << "the child ran to its end";

  // A moved-from owner has no process left to wait for or end.
  ChildProcess moved = std::move(*child);
  EXPECT_EQ(child->Wait(0), WaitOutcome::kFailed);
  EXPECT_FALSE(child->Terminate(0));
  EXPECT_EQ(moved.Wait(0), WaitOutcome::kExited);
}

TEST_F(PlatformProcess, ADetachedChildRunsOnByItself) {
  // The stand-in records its command line after the pause.
  ScopedEnvironment slow("VOKDESK_SLEEP_MS", "1000");
  ASSERT_TRUE(platform::StartDetached("\"" + tool_ + "\" detached"));
  EXPECT_FALSE(Exists(folder_ / "vokdesk.args")) << "StartDetached waited for the child";
  EXPECT_EQ(Recorded(folder_), "detached");
}

}  // namespace
}  // namespace vok::wine_test
