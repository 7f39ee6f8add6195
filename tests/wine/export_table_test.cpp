// The DLL as the filing client sees it before any call: loadable, the six
// functions found by name and by ordinal alike, the interface version.
#include <gtest/gtest.h>

#include "vok_library.h"

namespace vok::wine_test {
namespace {

TEST(ExportTable, EveryFunctionIsTheSameByNameAndByOrdinal) {
  VokLibrary library;
  ASSERT_TRUE(library.loaded()) << "LoadLibraryA(VOKQM7.dll) failed, error "
                                << library.load_error();
  const char* const names[] = {"GetVersionQM7", "GetReportDate", "GetReport",
                               "GetReportV2",   "OpenReportV2",  "GetReportDateV2"};
  for (unsigned ordinal = 1; ordinal <= 6; ++ordinal) {
    const char* name = names[ordinal - 1];
    FARPROC byName = library.ByName(name);
    FARPROC byOrdinal = library.ByOrdinal(ordinal);
    EXPECT_NE(byName, nullptr) << name << " not exported by name";
    EXPECT_NE(byOrdinal, nullptr) << "nothing at ordinal " << ordinal;
    EXPECT_EQ(byName, byOrdinal) << name << " is not at ordinal " << ordinal;
  }
  EXPECT_EQ(library.ByOrdinal(7), nullptr) << "an export beyond the six";
  // stdcall names must not be decorated in the export table.
  EXPECT_EQ(library.ByName("_GetReport@20"), nullptr);
  EXPECT_EQ(library.ByName("GetReport@20"), nullptr);
}

TEST(ExportTable, InterfaceVersionIsTwoBeforeAndAfterOtherCalls) {
  VokLibrary library;
  ASSERT_TRUE(library.loaded()) << "error " << library.load_error();
  EXPECT_EQ(library.GetVersionQM7()(), 2);
  char message[64] = {};
  (void)library.OpenReportV2()("not xml", message);
  EXPECT_EQ(library.GetVersionQM7()(), 2);
}

}  // namespace
}  // namespace vok::wine_test
