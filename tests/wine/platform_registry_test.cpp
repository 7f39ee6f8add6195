// Reading machine-wide registry values the way the install lookup does:
// whatever the type, up to the first zero byte, within a fixed buffer.
#include <string>

#include <gtest/gtest.h>

#include "windows_headers.h"

#include "platform/registry.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

constexpr char kKey[] = "Software\\VOKQM7 platform tests";

class PlatformRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  }

  void Set(const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }

  std::optional<std::string> Read(const char* name, std::size_t bufferBytes = 260) {
    return platform::ReadMachineValue(kKey, name, bufferBytes);
  }

  HKEY key_ = nullptr;
};

TEST_F(PlatformRegistry, ValuesAreReadUpToTheirFirstZeroByteWhateverTheirType) {
  const std::string folder = Gbk(u8"D:\\财务软件\\");
  Set("text", REG_SZ, folder + '\0');
  Set("binary", REG_BINARY, std::string("ab\0cd", 5));
  Set("unterminated", REG_BINARY, "abcd");
  Set("number", REG_DWORD, std::string("A\0\0\0", 4));
  EXPECT_EQ(Read("text"), folder);
  EXPECT_EQ(Read("binary"), "ab");
  EXPECT_EQ(Read("unterminated"), "abcd");
  EXPECT_EQ(Read("number"), "A");
  // The install lookup names its key with a trailing backslash.
  EXPECT_EQ(platform::ReadMachineValue(std::string(kKey) + "\\", "text", 260), folder);
}

TEST_F(PlatformRegistry, AValueLongerThanTheBufferIsNotRead) {
  Set("fits", REG_SZ, std::string(259, 'x') + '\0');
  Set("too long", REG_SZ, std::string(260, 'x') + '\0');
  Set("exactly", REG_BINARY, std::string(260, 'y'));
  EXPECT_EQ(Read("fits"), std::string(259, 'x'));
  EXPECT_FALSE(Read("too long").has_value());
  EXPECT_EQ(Read("exactly"), std::string(260, 'y'));
  EXPECT_FALSE(Read("fits", 10).has_value());
}

TEST_F(PlatformRegistry, MissingKeysAndValuesAreNothing) {
  EXPECT_FALSE(Read("missing").has_value());
  EXPECT_FALSE(platform::ReadMachineValue("Software\\VOKQM7 no such key", "text", 260).has_value());
}

}  // namespace
}  // namespace vok::wine_test
