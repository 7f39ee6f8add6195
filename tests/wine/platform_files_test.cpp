// The Win32 file functions of the platform layer, on GBK paths.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "windows_headers.h"
#include "wine_support.h"

// <windows.h> renames these to their A forms; the platform layer's are meant.
#undef CopyFile
#undef DeleteFile
#undef GetFileAttributes

namespace vok::wine_test {
namespace {

using platform::kFileAttributeNormal;
using platform::kFileAttributeReadOnly;
constexpr std::uint32_t kFolderBit = 0x10;

class PlatformFiles : public ::testing::Test {
 protected:
  ScratchFolder folder_{u8"文件测试"};
};

TEST_F(PlatformFiles, CopyReplacesTheTargetAndFailsWithoutASource) {
  const std::string from = folder_ / u8"模版.rep";
  const std::string to = folder_ / u8"副本.rep";
  WriteBytes(from, std::string("new bytes\0\r\n", 12));
  WriteBytes(to, "an older and longer file");
  EXPECT_TRUE(platform::CopyFile(from, to));
  EXPECT_EQ(ReadBytes(to), ReadBytes(from));
  EXPECT_FALSE(platform::CopyFile(folder_ / "missing.rep", to));
  EXPECT_EQ(ReadBytes(to), ReadBytes(from)) << "a failed copy changed the target";
  EXPECT_FALSE(platform::CopyFile(from, folder_ / u8"无此目录\\x.rep"));
}

TEST_F(PlatformFiles, AttributesOfFilesAndFolders) {
  const std::string file = folder_ / u8"只读.rep";
  WriteBytes(file, "x");
  EXPECT_FALSE(platform::PathExists(folder_ / "missing"));
  EXPECT_FALSE(platform::GetFileAttributes(folder_ / "missing").has_value());
  EXPECT_TRUE(platform::PathExists(folder_.path()));
  ASSERT_TRUE(platform::GetFileAttributes(folder_.path()).has_value());
  EXPECT_NE(*platform::GetFileAttributes(folder_.path()) & kFolderBit, 0u);

  EXPECT_TRUE(platform::SetFileReadOnly(file));
  ASSERT_TRUE(platform::GetFileAttributes(file).has_value());
  EXPECT_NE(*platform::GetFileAttributes(file) & kFileAttributeReadOnly, 0u);
  EXPECT_TRUE(platform::SetFileAttributesNormal(file));
  // Wine keeps no attribute bits for a Unix file: a plain one reads as
  // FILE_ATTRIBUTE_ARCHIVE, where Windows gives back NORMAL.
  const std::uint32_t plain = RunningUnderWine() ? 0x20 : kFileAttributeNormal;
  EXPECT_EQ(platform::GetFileAttributes(file), plain);
  EXPECT_FALSE(platform::SetFileAttributesNormal(folder_ / "missing"));
  EXPECT_FALSE(platform::SetFileReadOnly(folder_ / "missing"));
}

TEST_F(PlatformFiles, DeleteRemovesFilesOnly) {
  const std::string file = folder_ / u8"删除.xml";
  WriteBytes(file, "x");
  EXPECT_TRUE(platform::DeleteFile(file));
  EXPECT_FALSE(Exists(file));
  EXPECT_FALSE(platform::DeleteFile(file));
  EXPECT_FALSE(platform::DeleteFile(folder_.path()));
  EXPECT_TRUE(Exists(folder_.path()));
}

TEST_F(PlatformFiles, WholeFilesAreWrittenAndReadByteForByte) {
  const std::string file = folder_ / u8"报表.xml";
  const std::string bytes = Gbk(u8"<?xml?>\r\n资产\n") + std::string("\0\xFF", 2);
  EXPECT_TRUE(platform::WriteWholeFile(file, bytes));
  EXPECT_EQ(ReadBytes(file), bytes);
  EXPECT_EQ(platform::ReadWholeFile(file), bytes);
  EXPECT_TRUE(platform::WriteWholeFile(file, "short"));
  EXPECT_EQ(platform::ReadWholeFile(file), "short") << "the old file was not truncated";
  EXPECT_TRUE(platform::WriteWholeFile(file, ""));
  EXPECT_EQ(platform::ReadWholeFile(file), "");

  EXPECT_FALSE(platform::ReadWholeFile(folder_ / "missing").has_value());
  EXPECT_FALSE(platform::WriteWholeFile(folder_ / u8"无此目录\\x.xml", "x"));
}

TEST_F(PlatformFiles, AtomicReplaceWritesOrLeavesEverythingAsItWas) {
  const std::string file = folder_ / u8"申报.xml";
  EXPECT_TRUE(platform::ReplaceFileAtomically(file, "first"));
  EXPECT_EQ(ReadBytes(file), "first");
  EXPECT_TRUE(platform::ReplaceFileAtomically(file, "second, longer"));
  EXPECT_EQ(ReadBytes(file), "second, longer");
  const std::vector<std::string> onlyTheFile = {Gbk(u8"申报.xml")};
  EXPECT_EQ(ListFolder(folder_.path()), onlyTheFile) << "a temporary file was left behind";

  // A folder in the way: the write fails and its temporary file goes.
  MakeFolder(folder_ / u8"目录.xml");
  EXPECT_FALSE(platform::ReplaceFileAtomically(folder_ / u8"目录.xml", "x"));
  EXPECT_EQ(ListFolder(folder_.path()).size(), 2u) << "a temporary file was left behind";

  EXPECT_FALSE(platform::ReplaceFileAtomically(folder_ / u8"无此目录\\x.xml", "x"));
}

TEST_F(PlatformFiles, ReadOnlyFilesKeepTheirBytes) {
  if (!ReadOnlyIsEnforced(folder_.path())) {
    GTEST_SKIP() << "read-only files are writable here (Wine run as root)";
  }
  const std::string file = folder_ / u8"只读.xml";
  WriteBytes(file, "kept");
  ASSERT_TRUE(platform::SetFileReadOnly(file));
  EXPECT_FALSE(platform::WriteWholeFile(file, "overwritten"));
  EXPECT_EQ(ReadBytes(file), "kept");
  EXPECT_FALSE(platform::ReplaceFileAtomically(file, "replaced"));
  EXPECT_EQ(ReadBytes(file), "kept");
  EXPECT_EQ(ListFolder(folder_.path()).size(), 1u) << "a temporary file was left behind";
}

// What doctor and the tool run ask of a file another program may hold.
TEST_F(PlatformFiles, StampsAndUseOfFilesOthersHold) {
  const std::string file = folder_ / u8"导出.xml";
  WriteBytes(file, "first");
  const std::optional<platform::FileStamp> first = platform::StampOf(file);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->size, 5u);
  EXPECT_EQ(platform::ProbeFileUse(file), platform::FileUse::kFree);
  {
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(platform::ProbeFileUse(file), platform::FileUse::kOpenElsewhere);
    EXPECT_EQ(platform::StampOf(file), first) << "a stamp needs no data access";
    CloseHandle(held);
  }
  {
    // A reader that lets others delete stands in nobody's way.
    HANDLE shared = CreateFileA(file.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(platform::ProbeFileUse(file), platform::FileUse::kFree);
    CloseHandle(shared);
  }
  Sleep(20);
  WriteBytes(file, "other");  // same size, new content
  EXPECT_NE(platform::StampOf(file), first);
  EXPECT_EQ(platform::ProbeFileUse(folder_ / "missing"), platform::FileUse::kUnknown);
  EXPECT_FALSE(platform::StampOf(folder_ / "missing"));
  EXPECT_FALSE(platform::StampOf(folder_.path())) << "a folder has no stamp";
}

}  // namespace
}  // namespace vok::wine_test
