// show's exit statuses for a file it cannot show: the export's failure for
// show itself, a failed check after --show, whose export succeeded.
#include <gtest/gtest.h>

#include <fstream>

#include "exit_codes.h"
#include "show.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

TEST(ShowCommand, ADocumentThatCannotBeShownIsAFailedCheckAfterAnExport) {
  test::TempFolder folder;
  const std::string path = folder / "broken.xml";
  std::ofstream(path, std::ios::binary) << "<DZSBB><SB_SYB>";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ShowFilingDocument(path), kExitExportFailed);
  EXPECT_EQ(ShowExportedDocument(path), kExitCheckFailed);
  // One that cannot be read is no document at all, either way.
  EXPECT_EQ(ShowExportedDocument(folder / "none.xml"), kExitCannotRun);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot show " + path + ": it is not well-formed XML\n"), std::string::npos)
      << err;
  EXPECT_NE(err.find("check FAILED: the export succeeded, but " + path +
                     " cannot be shown: it is not well-formed XML\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("cannot read " + (folder / "none.xml")), std::string::npos) << err;
}

}  // namespace
}  // namespace vok::tool
