// The registry as files under $VOKQM7_REGISTRY/HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry.h"
#include "tests/platform/posix_test_support.h"

namespace vok::platform {
namespace {

constexpr const char* kSubkey = "Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst\\";
constexpr std::size_t kBuffer = 260;

class PosixRegistry : public ::testing::Test {
 protected:
  PosixRegistry() : env_("VOKQM7_REGISTRY", root_.Path()) {}

  // Stores `data` as the value `name` of kSubkey.
  void Store(const std::string& utf8Name, const std::string& data) {
    const std::string folder =
        root_ / "HKEY_LOCAL_MACHINE/Software/Tarvel/Oramet/2.0/Install/CurrentInst";
    std::filesystem::create_directories(folder);
    platform_test::WriteUtf8(folder + "/" + utf8Name, data);
  }

  platform_test::TempDir root_;
  platform_test::ScopedEnv env_;
};

TEST_F(PosixRegistry, ReadsTheValueFileDroppingOneLineFeed) {
  Store("VOKCONFIGFILE", "D:\\Oramet\\vok.ini\n");
  EXPECT_EQ(ReadMachineValue(kSubkey, "VOKCONFIGFILE", kBuffer), "D:\\Oramet\\vok.ini");
  Store("VOKCONFIGFILE", "two\n\n");
  EXPECT_EQ(ReadMachineValue(kSubkey, "VOKCONFIGFILE", kBuffer), "two\n");
  Store("VOKCONFIGFILE", "none");
  EXPECT_EQ(ReadMachineValue(kSubkey, "VOKCONFIGFILE", kBuffer), "none");
}

TEST_F(PosixRegistry, SubkeyWithoutTrailingBackslashNamesTheSameFile) {
  Store("V", "x");
  EXPECT_EQ(ReadMachineValue("Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst", "V", kBuffer),
            "x");
}

TEST_F(PosixRegistry, ValueMustFitTheBuffer) {
  Store("V", std::string(260, 'a'));
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), std::string(260, 'a'));
  Store("V", std::string(260, 'a') + "\n");
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), std::string(260, 'a'));
  Store("V", std::string(261, 'a'));
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), std::nullopt);
  Store("V", std::string(261, 'a') + "\n");
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), std::nullopt);
  Store("V", std::string(5000, 'a'));
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), std::nullopt);
}

TEST_F(PosixRegistry, StopsAtTheFirstZeroByte) {
  Store("V", std::string("C:\\a\0garbage\n", 13));
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), "C:\\a");
  Store("V", "");
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), "");
}

TEST_F(PosixRegistry, GbkDataComesBackUnchangedAndGbkNamesAreTranslated) {
  Store(platform_test::kUtf8GuoShuiShenBao, "\xB9\xFA\xCB\xB0\n");
  EXPECT_EQ(ReadMachineValue(kSubkey, platform_test::kGbkGuoShuiShenBao, kBuffer), "\xB9\xFA\xCB\xB0");
}

TEST_F(PosixRegistry, MissingPiecesGiveNothing) {
  EXPECT_EQ(ReadMachineValue(kSubkey, "V", kBuffer), std::nullopt);
  Store("V", "x");
  EXPECT_EQ(ReadMachineValue(kSubkey, "Other", kBuffer), std::nullopt);
  EXPECT_EQ(ReadMachineValue("Software\\Missing\\", "V", kBuffer), std::nullopt);
  // A key is a folder, not a value.
  EXPECT_EQ(ReadMachineValue("Software\\Tarvel\\Oramet\\2.0\\", "Install", kBuffer), std::nullopt);
  EXPECT_EQ(ReadMachineValue("Software\\..\\Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst",
                             "V", kBuffer),
            std::nullopt);
}

TEST(PosixRegistryRoot, MissingRootFolderGivesNothing) {
  platform_test::ScopedEnv env("VOKQM7_REGISTRY", std::string("/nonexistent/vokqm7-registry"));
  EXPECT_EQ(ReadMachineValue(kSubkey, "VOKCONFIGFILE", kBuffer), std::nullopt);
}

}  // namespace
}  // namespace vok::platform
