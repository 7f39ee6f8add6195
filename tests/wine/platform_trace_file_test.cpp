// The trace file and the reads of it on Windows: a reader and the writers
// of one file never stand in each other's way, and a trace path that names
// no plain file is refused with its reason.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/trace_file.h"
#include "windows_headers.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

class PlatformTraceFile : public ::testing::Test {
 protected:
  ScratchFolder folder_{u8"跟踪文件"};
};

TEST_F(PlatformTraceFile, AReadAndTheWritersOfOneFileShareIt) {
  const std::string path = folder_ / "trace.log";
  std::optional<platform::TraceFile> writer = platform::TraceFile::Open(path, 1 << 20);
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->Append("first\n"));
  // Read while the writer holds it; a second writer opens while a reader
  // holds it as ReadWholeFile does.
  EXPECT_EQ(platform::ReadWholeFile(path), "first\n");
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE) << GetLastError();
  std::optional<platform::TraceFile> second = platform::TraceFile::Open(path, 1 << 20);
  const DWORD error = GetLastError();
  CloseHandle(reader);
  ASSERT_TRUE(second) << error;
  EXPECT_TRUE(writer->Append("second\n"));
  EXPECT_TRUE(second->Append("third\n"));
  EXPECT_EQ(platform::ReadWholeFile(path), "first\nsecond\nthird\n");
}

TEST_F(PlatformTraceFile, APathThatNamesNoPlainFileIsRefusedWithItsReason) {
  struct Case {
    const char* what;
    std::string path;
    std::optional<platform::TraceRefusal> refusal;  // nothing: opened
  };
  const Case cases[] = {
      {"a new file", folder_ / "new.log", std::nullopt},
      {"a folder", folder_.path(), platform::TraceRefusal::kNotAFile},
      {"a device", "NUL", platform::TraceRefusal::kNotAFile},
      {"no such folder", folder_ / u8"无此目录\\trace.log", platform::TraceRefusal::kCannotOpen},
  };
  for (const Case& c : cases) {
    platform::TraceRefusal refusal = platform::TraceRefusal::kCannotOpen;
    const bool opened = platform::TraceFile::Open(c.path, 1 << 20, &refusal).has_value();
    EXPECT_EQ(opened, !c.refusal) << c.what;
    EXPECT_EQ(c.refusal.value_or(refusal), refusal) << c.what;
  }
}

}  // namespace
}  // namespace vok::wine_test
