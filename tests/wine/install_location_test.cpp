// The install location is looked up once per load of the library: a found
// value is kept until the library is unloaded, a missing one is looked for
// again on the next call. Which registry view it comes from is checked on a
// fresh load for each case.
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

// The 32-bit accounting package writes the 32-bit registry view: the 64-bit
// DLL reads it first and the 64-bit view only where the 32-bit one has no
// such value; the 32-bit DLL reads the 32-bit view alone.
enum class Entry { kNone, kFolder, kTooLong };
enum class Used { kNone, k32BitView, k64BitView };
const struct {
  const char* what;
  Entry in32BitView;
  bool in64BitView;
  Used by64BitDll, by32BitDll;
} kViewCases[] = {
    {"only in the 32-bit view", Entry::kFolder, false, Used::k32BitView, Used::k32BitView},
    {"only in the 64-bit view", Entry::kNone, true, Used::k64BitView, Used::kNone},
    {"in both, the 32-bit one wins", Entry::kFolder, true, Used::k32BitView, Used::k32BitView},
    {"in neither", Entry::kNone, false, Used::kNone, Used::kNone},
    {"too long in the 32-bit view, no fall-back", Entry::kTooLong, true, Used::kNone, Used::kNone},
};

TEST_F(InstallLocationCache, The64BitDllPrefersThe32BitViewAndThe32BitDllReadsNoOther) {
  constexpr bool k64BitDll = sizeof(void*) == 8;
  BOOL wow64 = FALSE;
  ASSERT_TRUE(k64BitDll || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64))
      << "the 32-bit suite needs a 64-bit prefix, where the registry has both views";
  for (const auto& c : kViewCases) {
    SCOPED_TRACE(c.what);
    DeleteInstallValue();
    first_.ForgetArgs();
    second_.ForgetArgs();
    const std::string padding(c.in32BitView == Entry::kTooLong ? 300 : 0, 'x');
    if (c.in32BitView != Entry::kNone) SetInstallValue(first_.root() + padding, KEY_WOW64_32KEY);
    if (c.in64BitView) SetInstallValue(second_.root(), KEY_WOW64_64KEY);
    const Used used = k64BitDll ? c.by64BitDll : c.by32BitDll;
    {
      VokLibrary library;
      ASSERT_TRUE(library.loaded()) << "error " << library.load_error();
      EXPECT_EQ(Run(library), used == Used::kNone ? -1 : 0) << Readable(message_.Text());
      if (used == Used::kNone) {
        EXPECT_TRUE(message_.Holds(expected::InstallMissing()));
      }
    }
    ASSERT_FALSE(VokLibraryIsMapped()) << "the next case would see the kept location";
    EXPECT_EQ(Exists(first_.InLocation("\\vokwqm7.args")), used == Used::k32BitView);
    EXPECT_EQ(Exists(second_.InLocation("\\vokwqm7.args")), used == Used::k64BitView);
  }
}

}  // namespace
}  // namespace vok::wine_test
