// Finding the encoding an XML declaration names, for the cell exports that
// Wine's msxml3 cannot load from a file, and telling the names of GBK.
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/encoding_names.h"
#include "platform/xml_declaration.h"

namespace vok::platform {
namespace {

// The declared name and the text with the pseudo-attribute removed.
struct Found {
  std::string name;
  std::string without;
};

std::optional<Found> Declared(std::string_view text) {
  const std::optional<EncodingDeclaration> found = FindEncodingDeclaration(text);
  if (!found) return std::nullopt;
  return Found{std::string(found->name),
               std::string(text.substr(0, found->begin)) + std::string(text.substr(found->end))};
}

TEST(XmlDeclaration, EncodingIsFoundInEveryWellFormedShape) {
  struct Case {
    const char* text;
    const char* name;
    const char* without;
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\" encoding=\"GBK\"?><vok/>", "GBK", "<?xml version=\"1.0\"?><vok/>"},
      {"<?xml version='1.0' encoding='gb2312'?>\n<vok/>", "gb2312", "<?xml version='1.0'?>\n<vok/>"},
      {"<?xml version=\"1.0\"\r\n\tencoding = \"CP936\" standalone=\"yes\" ?><a/>", "CP936",
       "<?xml version=\"1.0\" standalone=\"yes\" ?><a/>"},
      {"<?xml version=\"1.0\" encoding=\"\"?><a/>", "", "<?xml version=\"1.0\"?><a/>"},
      // A quote of the other kind is part of the value.
      {"<?xml version=\"1.0\" encoding=\"G'BK\"?><a/>", "G'BK", "<?xml version=\"1.0\"?><a/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<Found> found = Declared(c.text);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->name, c.name);
    EXPECT_EQ(found->without, c.without);
  }
}

TEST(XmlDeclaration, NothingWithoutADeclarationThatNamesAnEncoding) {
  for (const char* text : {
           "<vok/>",
           "",
           "<?xml",
           " <?xml version=\"1.0\" encoding=\"GBK\"?><a/>",     // not at the very start
           "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"GBK\"?>",  // after a byte order mark
           "<?xml version=\"1.0\"?><a encoding=\"GBK\"/>",       // an element's attribute
           "<?xml version=\"1.0\" standalone=\"no\"?><a/>",
           "<?xmlencoding=\"GBK\"?><a/>",
           "<?xml version=\"1.0\"encoding=\"GBK\"?><a/>",         // no blank between them
           "<?xml version=\"1.0\" encoding=GBK?><a/>",            // unquoted
           "<?xml version=\"1.0\" encoding=\"GBK?><a/>",          // the quote never closes
           "<?xml version=\"1.0\" encoding=\"GBK\"",              // nor the declaration
           "<?xml version=\"1.0\" encoding=\"GBK\" encoding=\"UTF-8\"?><a/>",
           "<?xml version=\"1.0\" encoding\"GBK\"?><a/>",
       }) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(FindEncodingDeclaration(text).has_value());
  }
}

TEST(XmlDeclaration, GbkNamesInAnyLetterCase) {
  for (const char* name :
       {"GBK", "gbk", "Gbk", "GB2312", "gb2312", "CP936", "cp936", "Cp936", "MS936", "ms936",
        "windows-936", "Windows-936", "x-gbk", "X-GBK", "csGB2312", "CSGB2312", "GB_2312-80",
        "gb_2312-80", "EUC-CN", "euc-cn"}) {
    EXPECT_TRUE(IsGbkEncodingName(name)) << name;
  }
  for (const char* name : {"", "UTF-8", "GB18030", "GBK ", " GBK", "windows936", "CP9360", "GB",
                           "Big5", "EUC-TW", "x-gbk2"}) {
    EXPECT_FALSE(IsGbkEncodingName(name)) << name;
  }
}

}  // namespace
}  // namespace vok::platform
