// File operations on GBK paths with backslashes, and the Windows
// semantics of CopyFile and the attribute calls. The tests run as root,
// where permission bits do not stop a write: every failure checked here
// comes from something else (a missing folder, a folder in the way, or the
// explicit read-only check of CopyFile).
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "platform/files.h"
#include "tests/platform/posix_test_support.h"

namespace vok::platform {
namespace {

using platform_test::ModeOf;
using platform_test::ReadUtf8;
using platform_test::TempDir;
using platform_test::WriteUtf8;

long EntriesIn(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder),
                       std::filesystem::directory_iterator());
}

TEST(PosixPaths, CopiesIntoAGbkFolderThroughABackslashPath) {
  TempDir dir;
  const std::string folder = dir / platform_test::kUtf8GuoShuiShenBao;
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  WriteUtf8(dir / "hxsyb.rep", "template");

  const std::string gbkTarget = dir.Path() + "\\" + platform_test::kGbkGuoShuiShenBao + "\\hxsyb.rep";
  ASSERT_TRUE(CopyFile(dir.Path() + "\\hxsyb.rep", gbkTarget));
  EXPECT_EQ(ReadUtf8(folder + "/hxsyb.rep"), "template");
  EXPECT_TRUE(PathExists(gbkTarget));
  EXPECT_EQ(ReadWholeFile(gbkTarget), "template");
}

TEST(PosixPaths, TrailByte0x5CIsPartOfTheCharacterNotASeparator) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / platform_test::kUtf8Cheng).c_str(), 0755), 0);
  ASSERT_TRUE(WriteWholeFile(dir.Path() + "\\" + platform_test::kGbkCheng + "\\a.txt", "x"));
  EXPECT_EQ(ReadUtf8(dir / platform_test::kUtf8Cheng + "/a.txt"), "x");
}

TEST(PosixPaths, InvalidGbkCreatesNothing) {
  TempDir dir;
  EXPECT_FALSE(WriteWholeFile(dir / "bad\xFF.txt", "x"));
  EXPECT_FALSE(ReplaceFileAtomically(dir / "bad\x81.txt", "x"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(PosixFiles, DeleteFileRemovesFilesOnly) {
  TempDir dir;
  WriteUtf8(dir / "f", "x");
  ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
  EXPECT_TRUE(DeleteFile(dir / "f"));
  EXPECT_FALSE(PathExists(dir / "f"));
  EXPECT_FALSE(DeleteFile(dir / "f"));
  EXPECT_FALSE(DeleteFile(dir / "sub"));
  EXPECT_TRUE(PathExists(dir / "sub"));
  // A read-only file stays, even for root, until its attribute is cleared.
  WriteUtf8(dir / "read-only", "kept");
  ASSERT_EQ(::chmod((dir / "read-only").c_str(), 0444), 0);
  EXPECT_FALSE(DeleteFile(dir / "read-only"));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(ReadUtf8(dir / "read-only"), "kept");
  ASSERT_TRUE(SetFileAttributesNormal(dir / "read-only"));
  EXPECT_TRUE(DeleteFile(dir / "read-only"));
}

TEST(PosixFiles, CopyReplacesTheTargetAndTakesTheSourcePermissions) {
  TempDir dir;
  WriteUtf8(dir / "from", "new");
  WriteUtf8(dir / "to", "old and longer");
  ASSERT_EQ(::chmod((dir / "from").c_str(), 0440), 0);
  ASSERT_TRUE(CopyFile(dir / "from", dir / "to"));
  EXPECT_EQ(ReadUtf8(dir / "to"), "new");
  // Read-only travels with the copy, as the attributes do on Windows.
  EXPECT_EQ(ModeOf(dir / "to"), 0440u);
}

TEST(PosixFiles, CopyFailsLikeWindows) {
  TempDir dir;
  WriteUtf8(dir / "from", "data");
  WriteUtf8(dir / "read-only", "kept");
  ASSERT_EQ(::chmod((dir / "read-only").c_str(), 0444), 0);
  ASSERT_EQ(::mkdir((dir / "folder").c_str(), 0755), 0);
  EXPECT_FALSE(CopyFile(dir / "missing", dir / "to"));
  EXPECT_FALSE(CopyFile(dir / "folder", dir / "to"));
  EXPECT_FALSE(PathExists(dir / "to"));
  EXPECT_FALSE(CopyFile(dir / "from", dir / "no-such-folder/to"));
  EXPECT_FALSE(CopyFile(dir / "from", dir / "folder"));
  EXPECT_FALSE(CopyFile(dir / "from", dir / "from"));
  EXPECT_EQ(ReadUtf8(dir / "from"), "data");
  // Refused even for root, whom the missing write bit would not stop.
  EXPECT_FALSE(CopyFile(dir / "from", dir / "read-only"));
  EXPECT_EQ(ReadUtf8(dir / "read-only"), "kept");
}

TEST(PosixFiles, AttributesAreWindowsBits) {
  TempDir dir;
  WriteUtf8(dir / "f", "x");
  ASSERT_EQ(::chmod((dir / "f").c_str(), 0644), 0);
  ASSERT_EQ(::mkdir((dir / "d").c_str(), 0755), 0);
  EXPECT_EQ(GetFileAttributes(dir / "f"), kFileAttributeNormal);
  EXPECT_EQ(GetFileAttributes(dir / "d"), 0x10u);
  EXPECT_EQ(GetFileAttributes(dir / "missing"), std::nullopt);
  EXPECT_TRUE(PathExists(dir / "d"));
  EXPECT_FALSE(PathExists(dir / "missing"));

  ASSERT_TRUE(SetFileReadOnly(dir / "f"));
  EXPECT_EQ(ModeOf(dir / "f") & 0222, 0u);
  EXPECT_EQ(GetFileAttributes(dir / "f"), kFileAttributeReadOnly);

  ASSERT_TRUE(SetFileAttributesNormal(dir / "f"));
  EXPECT_EQ(ModeOf(dir / "f") & 0600, 0600u);
  EXPECT_EQ(GetFileAttributes(dir / "f"), kFileAttributeNormal);
  EXPECT_FALSE(SetFileReadOnly(dir / "missing"));
}

TEST(PosixFiles, WriteAndReadWholeFilesKeepEveryByte) {
  TempDir dir;
  const std::string bytes("a\0b\r\n\xB9\xFA", 7);
  ASSERT_TRUE(WriteWholeFile(dir / "f", "something longer than the rest"));
  ASSERT_TRUE(WriteWholeFile(dir / "f", bytes));
  EXPECT_EQ(ReadUtf8(dir / "f"), bytes);
  EXPECT_EQ(ReadWholeFile(dir / "f"), bytes);
  EXPECT_FALSE(WriteWholeFile(dir / "missing/f", "x"));
  EXPECT_EQ(ReadWholeFile(dir / "missing"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Path()), std::nullopt);
}

TEST(PosixFiles, AtomicReplaceWritesAndKeepsPermissions) {
  TempDir dir;
  ASSERT_TRUE(ReplaceFileAtomically(dir / "f", "first"));
  EXPECT_EQ(ReadUtf8(dir / "f"), "first");
  ASSERT_EQ(::chmod((dir / "f").c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileAtomically(dir / "f", "second"));
  EXPECT_EQ(ReadUtf8(dir / "f"), "second");
  EXPECT_EQ(ModeOf(dir / "f"), 0640u);
  EXPECT_EQ(EntriesIn(dir.Path()), 1);
}

TEST(PosixFiles, FailedAtomicReplaceLeavesNoTraceAndTheTargetAsItWas) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / "target").c_str(), 0755), 0);
  WriteUtf8(dir / "target/inside", "kept");
  // rename() cannot put a file over a folder, even for root.
  EXPECT_FALSE(ReplaceFileAtomically(dir / "target", "new"));
  EXPECT_EQ(ReadUtf8(dir / "target/inside"), "kept");
  EXPECT_EQ(EntriesIn(dir.Path()), 1);
  EXPECT_FALSE(ReplaceFileAtomically(dir / "missing/f", "new"));

  WriteUtf8(dir / "read-only", "kept");
  ASSERT_EQ(::chmod((dir / "read-only").c_str(), 0444), 0);
  EXPECT_FALSE(ReplaceFileAtomically(dir / "read-only", "new"));
  EXPECT_EQ(ReadUtf8(dir / "read-only"), "kept");
  EXPECT_EQ(EntriesIn(dir.Path()), 2);
}

}  // namespace
}  // namespace vok::platform
