// The install location is looked up once per load of the library: a found
// value is kept until the library is unloaded, a missing one is looked for
// again on the next call.
#include <string>

#include <gtest/gtest.h>

#include "expected_messages.h"
#include "test_installation.h"
#include "vok_library.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

class InstallLocationCache : public ::testing::Test {
 protected:
  void SetUp() override {
    template_ = first_.Place("t.rep", "<vok/>");
    dataFile_ = first_.root() + "\\data.xml";
  }

  int Run(const VokLibrary& library) {
    message_ = MessageBuffer();
    return library.GetReport()(login_.c_str(), 0, template_.c_str(), dataFile_.c_str(),
                               message_.get());
  }

  TestInstallation first_{u8"第一安装"};
  TestInstallation second_{u8"第二安装"};
  std::string login_ = BatchLogin("001", "2007", "3", "s");
  std::string template_;
  std::string dataFile_;
  MessageBuffer message_;
};

TEST_F(InstallLocationCache, ValueChangedAfterALookupCountsOnlyAfterAReload) {
  first_.Register();
  {
    VokLibrary library;
    ASSERT_TRUE(library.loaded()) << "error " << library.load_error();
    ASSERT_EQ(Run(library), 0) << Readable(message_.Text());
    EXPECT_TRUE(Exists(first_.InLocation("\\vokwqm7.args")));

    second_.Register();
    first_.ForgetArgs();
    ASSERT_EQ(Run(library), 0) << Readable(message_.Text());
    EXPECT_TRUE(Exists(first_.InLocation("\\vokwqm7.args"))) << "the first location was dropped";
    EXPECT_FALSE(Exists(second_.InLocation("\\vokwqm7.args")));
  }
  ASSERT_FALSE(VokLibraryIsMapped()) << "FreeLibrary did not unload the library";

  VokLibrary reloaded;
  first_.ForgetArgs();
  ASSERT_EQ(Run(reloaded), 0) << Readable(message_.Text());
  EXPECT_TRUE(Exists(second_.InLocation("\\vokwqm7.args"))) << "the reload kept the old location";
  EXPECT_FALSE(Exists(first_.InLocation("\\vokwqm7.args")));
}

TEST_F(InstallLocationCache, MissingValueIsLookedUpAgainOnTheNextCall) {
  DeleteInstallValue();
  VokLibrary library;
  ASSERT_TRUE(library.loaded()) << "error " << library.load_error();
  EXPECT_EQ(Run(library), -1);
  EXPECT_TRUE(message_.Holds(expected::InstallMissing()));

  first_.Register();
  EXPECT_EQ(Run(library), 0) << Readable(message_.Text());
  EXPECT_TRUE(Exists(first_.InLocation("\\vokwqm7.args")));
}

TEST_F(InstallLocationCache, ValueEndingInABackslashKeepsBoth) {
  SetInstallValue(first_.root() + "\\");
  VokLibrary library;
  ASSERT_TRUE(library.loaded()) << "error " << library.load_error();
  ASSERT_EQ(Run(library), 0) << Readable(message_.Text());
  // The work file path in the command shows the location as the library
  // built it; Windows itself resolves the doubled separator.
  EXPECT_NE(first_.BatchArgs().find(first_.root() + "\\\\vok\\voktemp.rep"), std::string::npos)
      << Readable(first_.BatchArgs());
}

}  // namespace
}  // namespace vok::wine_test
