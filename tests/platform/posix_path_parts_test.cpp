// Paths taken apart by characters: the names of the Wine table, on the
// POSIX layer. Each of 誠 (D5 5C), 運 (DF 5C) and 錦 (E5 5C) ends in the byte
// of a backslash.
#include <gtest/gtest.h>

#include "platform/path_parts.h"

namespace vok::platform {
namespace {

const std::string kCheng = "\xD5\x5C";  // 誠
const std::string kYun = "\xDF\x5C";    // 運
const std::string kJin = "\xE5\x5C";    // 錦
const std::string kXin = "\xD0\xC5";    // 信
const std::string kShu = "\xDD\x94";    // 輸
const std::string kBiao = "\xB1\xED";   // 表

TEST(PosixPathParts, FolderAndNameAreFoundByCharactersNotBytes) {
  struct Case {
    const char* what;
    std::string path, folder, name;
  };
  const Case cases[] = {
      {"name ending in 0x5C", "C:\\out\\" + kCheng + kXin + ".xml", "C:\\out",
       kCheng + kXin + ".xml"},
      {"name only", kYun + kShu + ".xml", "", kYun + kShu + ".xml"},
      {"folder ending in 0x5C", "/tmp/" + kJin + "/a.xml", "/tmp/" + kJin, "a.xml"},
      {"both", "Z:\\" + kJin + kBiao + kCheng + "\\" + kJin + ".xml",
       "Z:\\" + kJin + kBiao + kCheng, kJin + ".xml"},
      {"name is one such character", "d\\" + kCheng, "d", kCheng},
      {"slash as separator", "d/" + kYun + "/" + kJin, "d/" + kYun, kJin},
      {"trailing separator", "d\\" + kJin + "\\", "d\\" + kJin, ""},
      {"root", "\\x", "", "x"},
      {"no GBK text: nothing to trust", "a\\\xFF\\b", "", "a\\\xFF\\b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.what;
    EXPECT_EQ(FileNameOfPath(c.path), c.name) << c.what;
  }
}

TEST(PosixPathParts, JoinAddsASeparatorUnlessTheLastCharacterIsOne) {
  EXPECT_EQ(JoinPath("d/" + kJin, "a.xml"), "d/" + kJin + "/a.xml");
  EXPECT_EQ(JoinPath("d\\" + kCheng + kYun, kJin), "d\\" + kCheng + kYun + "/" + kJin);
  EXPECT_EQ(JoinPath("d\\", "a.xml"), "d\\a.xml");
  EXPECT_EQ(JoinPath("d/", "a.xml"), "d/a.xml");
  EXPECT_EQ(JoinPath("", "a.xml"), "a.xml");
}

}  // namespace
}  // namespace vok::platform
