#include <gtest/gtest.h>

#include "driver/install_location.h"
#include "support/test_support.h"

namespace vok {
namespace {

TEST(InstallLocationTest, RegistryValueFollowedByVok) {
  test::TestInstallation install;
  install.SetRegistryValue("C:\\Tools\\Report");
  InstallLocationCache cache;
  EXPECT_EQ(cache.Find(), "C:\\Tools\\Report\\vok");
}

TEST(InstallLocationTest, TrailingBackslashIsKept) {
  test::TestInstallation install;
  install.SetRegistryValue("C:\\Tools\\Report\\");
  InstallLocationCache cache;
  EXPECT_EQ(cache.Find(), "C:\\Tools\\Report\\\\vok");
}

TEST(InstallLocationTest, MissingValueIsReadAgainUntilFound) {
  test::TestInstallation install;
  install.RemoveRegistryValue();
  InstallLocationCache cache;
  EXPECT_EQ(cache.Find(), "");
  EXPECT_EQ(cache.Find(), "");
  install.SetRegistryValue("D:\\later");
  EXPECT_EQ(cache.Find(), "D:\\later\\vok");
}

TEST(InstallLocationTest, FirstSuccessIsKeptForGood) {
  test::TestInstallation install;
  install.SetRegistryValue("D:\\first");
  InstallLocationCache cache;
  EXPECT_EQ(cache.Find(), "D:\\first\\vok");
  install.SetRegistryValue("D:\\second");
  EXPECT_EQ(cache.Find(), "D:\\first\\vok");
  install.RemoveRegistryValue();
  EXPECT_EQ(cache.Find(), "D:\\first\\vok");
}

TEST(InstallLocationTest, ValueLongerThanTheBufferIsNotFound) {
  test::TestInstallation install;
  install.SetRegistryValue(std::string(261, 'x'));
  EXPECT_EQ(InstallLocationCache().Find(), "");
  install.SetRegistryValue(std::string(260, 'x'));
  EXPECT_EQ(InstallLocationCache().Find(), std::string(260, 'x') + "\\vok");
}

TEST(InstallLocationTest, GbkValueIsKeptAsBytes) {
  test::TestInstallation install;
  install.SetRegistryValue(test::Gbk("D:\\财务软件"));
  EXPECT_EQ(InstallLocationCache().Find(), test::Gbk("D:\\财务软件\\vok"));
}

}  // namespace
}  // namespace vok
