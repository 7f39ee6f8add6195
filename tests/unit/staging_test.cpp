#include <gtest/gtest.h>

#include "driver/staging.h"
#include "support/test_support.h"

namespace vok {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

class StagingTest : public ::testing::Test {
 protected:
  // Library paths: the InstallLocation followed by a backslash piece.
  std::string Lib(const char* piece) const { return install_.location() + "\\" + piece; }
  std::string Os(const char* name) const { return install_.InLocation(name); }

  test::TestInstallation install_;
  char buffer_[64] = "untouched";
  MessageBuffer message_{buffer_};
};

TEST_F(StagingTest, CopiesTemplatesAndRemovesStaleFiles) {
  WriteFile(Os("rep_vok.xml"), "old export");
  WriteFile(Os("rep_vok1.xml"), "old copy");
  WriteFile(Os("voktemp1.rep"), "old work file");
  WriteFile(Os("vokModel/国税申报/hxsyb.rep"), "income template");
  WriteFile(Os("vokModel/国税申报/hxzcfzb.rep"), "balance template");

  ASSERT_EQ(StageWorkFile({Lib("rep_vok.xml"), Lib("rep_vok1.xml"), Lib("rep_vok2.xml")},
                          {{Lib(test::Gbk("vokModel\\国税申报\\hxsyb.rep").c_str()),
                            Lib("voktemp1.rep"), "first"},
                           {Lib(test::Gbk("vokModel\\国税申报\\hxzcfzb.rep").c_str()),
                            Lib("voktemp2.rep"), "second"}},
                          message_),
            0);
  EXPECT_FALSE(Exists(Os("rep_vok.xml")));
  EXPECT_FALSE(Exists(Os("rep_vok1.xml")));
  EXPECT_EQ(ReadFile(Os("voktemp1.rep")), "income template");
  EXPECT_EQ(ReadFile(Os("voktemp2.rep")), "balance template");
  EXPECT_STREQ(buffer_, "untouched");
}

TEST_F(StagingTest, ReadOnlyTemplateGivesWritableWorkFile) {
  WriteFile(Os("locked.rep"), "t");
  test::MakeReadOnly(Os("locked.rep"));
  WriteFile(Os("open.rep"), "t");

  ASSERT_EQ(StageWorkFile({}, {{Lib("locked.rep"), Lib("voktemp1.rep"), "first"},
                               {Lib("open.rep"), Lib("voktemp2.rep"), "second"}},
                          message_),
            0);
  EXPECT_FALSE(test::IsReadOnly(Os("voktemp1.rep")));
  EXPECT_FALSE(test::IsReadOnly(Os("voktemp2.rep")));
  EXPECT_TRUE(test::IsReadOnly(Os("locked.rep")));  // the template keeps its attributes
}

TEST_F(StagingTest, FailedCopyStopsWithItsMessageAfterAllDeletions) {
  WriteFile(Os("rep_vok2.xml"), "old");
  WriteFile(Os("voktemp2.rep"), "old work file");
  WriteFile(Os("first.rep"), "first template");
  test::MakeReadOnly(Os("first.rep"));

  EXPECT_EQ(StageWorkFile({Lib("rep_vok2.xml")},
                          {{Lib("first.rep"), Lib("voktemp1.rep"), "first failed"},
                           {Lib("missing.rep"), Lib("voktemp2.rep"), "second failed"}},
                          message_),
            -1);
  EXPECT_STREQ(buffer_, "second failed");
  EXPECT_FALSE(Exists(Os("rep_vok2.xml")));
  EXPECT_FALSE(Exists(Os("voktemp2.rep")));
  // The first copy stays, still with the template's attributes: attributes
  // are only changed once every copy has succeeded.
  EXPECT_EQ(ReadFile(Os("voktemp1.rep")), "first template");
  EXPECT_TRUE(test::IsReadOnly(Os("voktemp1.rep")));
}

TEST_F(StagingTest, FirstFailureSkipsLaterCopies) {
  WriteFile(Os("second.rep"), "t");
  EXPECT_EQ(StageWorkFile({}, {{Lib("missing.rep"), Lib("voktemp1.rep"), "first failed"},
                               {Lib("second.rep"), Lib("voktemp2.rep"), "second failed"}},
                          message_),
            -1);
  EXPECT_STREQ(buffer_, "first failed");
  EXPECT_FALSE(Exists(Os("voktemp2.rep")));
}

TEST_F(StagingTest, EveryDeletionComesBeforeAnyCopy) {
  // A template that is also a stale file or a later work file is gone by the
  // time the copies start.
  WriteFile(Os("rep_vok.xml"), "stale");
  EXPECT_EQ(StageWorkFile({Lib("rep_vok.xml")}, {{Lib("rep_vok.xml"), Lib("voktemp.rep"), "gone"}},
                          message_),
            -1);
  EXPECT_STREQ(buffer_, "gone");

  WriteFile(Os("voktemp2.rep"), "work file 2");
  WriteFile(Os("t2.rep"), "t");
  EXPECT_EQ(StageWorkFile({}, {{Lib("voktemp2.rep"), Lib("voktemp1.rep"), "first gone"},
                               {Lib("t2.rep"), Lib("voktemp2.rep"), "second"}},
                          message_),
            -1);
  EXPECT_STREQ(buffer_, "first gone");
}

TEST_F(StagingTest, FolderAsTemplateFailsTheCopy) {
  test::MakeFolders(Os("a-folder"));
  EXPECT_EQ(StageWorkFile({}, {{Lib("a-folder"), Lib("voktemp.rep"), "not a file"}}, message_), -1);
  EXPECT_STREQ(buffer_, "not a file");
}

}  // namespace
}  // namespace vok
