// Facts about the running program (CommandLineTail is checked by the
// process tests, through a real child).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/codepage.h"
#include "platform/program.h"

namespace vok::platform {
namespace {

TEST(PosixProgram, ExecutableFolderIsGbkWithoutTrailingSeparator) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_EQ(GbkToUtf8(folder),
            std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace vok::platform
