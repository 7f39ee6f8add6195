// The libxml2 DOM: MSXML's text rules, loadXML / load encodings, empty
// documents after failures, and documents that try to read files or
// exhaust memory.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/xml.h"
#include "tests/platform/posix_test_support.h"

namespace vok::platform {
namespace {

XmlDocument Loaded(const std::string& gbkText) {
  XmlDocument doc = XmlDocument::Create();
  EXPECT_EQ(doc.LoadText(gbkText), XmlLoad::kParsed) << gbkText;
  return doc;
}

std::string TextOf(const std::string& gbkText, const std::string& path = "/*") {
  XmlDocument doc = Loaded(gbkText);
  std::optional<XmlNode> node = doc.SelectSingleNode(path);
  return node ? node->Text() : "<no node>";
}

TEST(PosixXml, TextIsTrimmedExceptWhereItComesFromCdataAndIsGbk) {
  XmlSession session;
  EXPECT_EQ(TextOf("<a>  <![CDATA[ x ]]>  </a>"), " x ");
  EXPECT_EQ(TextOf("<a> x y </a>"), "x y");
  EXPECT_EQ(TextOf("<a>\n</a>"), "");
  EXPECT_EQ(TextOf("<a>\t\r\n<b> in </b> <c/>\r\n</a>"), "in");
  EXPECT_EQ(TextOf("<a> x <b> y </b> </a>"), "x  y");
  EXPECT_EQ(TextOf("<a><![CDATA[  ]]></a>"), "  ");
  EXPECT_EQ(TextOf("<a> <![CDATA[ l]]> m <![CDATA[r ]]> </a>"), " l m r ");
  // Only blank, tab, CR and LF are white space here.
  EXPECT_EQ(TextOf("<a>\xA1\xA1x\xA1\xA1</a>"), "\xA1\xA1x\xA1\xA1");
  EXPECT_EQ(TextOf("<a>&lt;&#32;&amp;<!-- note -->x</a>"), "< &x");
  EXPECT_EQ(TextOf("<!DOCTYPE a [<!ENTITY e ' ent '>]><a>&e;</a>"), "ent");
  // GBK out, "?" for what GBK lacks.
  EXPECT_EQ(TextOf("<a>\xB9\xFA&#xAC00;</a>"), "\xB9\xFA?");
}

TEST(PosixXml, LoadTextIgnoresTheDeclaredEncoding) {
  for (const char* declared : {"UTF-16", "ISO-8859-1", "GBK", "UTF-8"}) {
    const std::string text = std::string("<?xml version=\"1.0\" encoding=\"") + declared +
                             "\"?><a>\xB9\xFA</a>";
    EXPECT_EQ(TextOf(text), "\xB9\xFA") << declared;
  }
}

TEST(PosixXml, TextThatDoesNotParseLeavesAnEmptyDocument) {
  XmlDocument doc = Loaded("<a><b>1</b></a>");
  ASSERT_TRUE(doc.SelectSingleNode("//b"));
  for (const char* bad : {"<a><b></a>", "", "   ", "no xml", "<a/><b/>"}) {
    EXPECT_EQ(doc.LoadText(bad), XmlLoad::kNotParsed) << bad;
    EXPECT_FALSE(doc.SelectSingleNode("//b")) << bad;
    EXPECT_FALSE(doc.SelectSingleNode("a")) << bad;
    EXPECT_EQ(doc.SelectNodes("//*").Length(), 0) << bad;
  }
  EXPECT_EQ(XmlDocument::Create().SelectNodes("//vok/cell").Length(), 0);
}

TEST(PosixXml, SelectsInDocumentOrder) {
  XmlDocument doc = Loaded(
      "<vok><cell><row1>1</row1><value>a</value></cell>"
      "<x><cell><row1>2</row1></cell></x>"
      "<cell><inner><row1>no</row1></inner><row1>3</row1></cell></vok>");
  XmlNodeList cells = doc.SelectNodes("//cell");
  ASSERT_EQ(cells.Length(), 3);
  std::string rows;
  for (long i = 0; i < cells.Length(); ++i) {
    std::optional<XmlNode> row = cells.Item(i).SelectSingleNode("row1");
    ASSERT_TRUE(row);
    rows += row->Text();
  }
  // "row1" is a child step: the nested <inner><row1> is not found first.
  EXPECT_EQ(rows, "123");
  EXPECT_FALSE(cells.Item(1).SelectSingleNode("value"));
  EXPECT_EQ(doc.SelectNodes("//vok/cell").Length(), 2);
  EXPECT_EQ(doc.SelectSingleNode("//cell/row1")->Text(), "1");
  EXPECT_EQ(cells.Item(2).SelectSingleNode("inner/row1")->Text(), "no");
  // Relative to a node: its own descendants only, in document order.
  const XmlNodeList inThird = cells.Item(2).SelectNodes(".//row1");
  ASSERT_EQ(inThird.Length(), 2);
  EXPECT_EQ(inThird.Item(0).Text() + inThird.Item(1).Text(), "no3");
  EXPECT_EQ(doc.SelectSingleNode("/vok/x")->SelectNodes("cell").Length(), 1);
  EXPECT_THROW(cells.Item(3), XmlError);
  EXPECT_THROW(cells.Item(-1), XmlError);
  EXPECT_THROW(doc.SelectNodes("//cell["), XmlError);
}

TEST(PosixXml, NodesOutliveTheirDocument) {
  std::optional<XmlNode> node;
  std::optional<XmlNodeList> list;
  {
    XmlDocument doc = Loaded("<a><b>kept</b><b>too</b></a>");
    node = doc.SelectSingleNode("//b");
    list = doc.SelectNodes("//b");
    ASSERT_EQ(doc.LoadText("<other/>"), XmlLoad::kParsed);
  }
  ASSERT_TRUE(node);
  EXPECT_EQ(node->Text(), "kept");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->Item(1).Text(), "too");
}

TEST(PosixXml, LoadFileHonoursTheDeclaredEncoding) {
  platform_test::TempDir dir;
  const std::string folder = dir / platform_test::kUtf8GuoShuiShenBao;
  std::filesystem::create_directory(folder);
  const std::string gbkFolder = dir.Path() + "\\" + platform_test::kGbkGuoShuiShenBao + "\\";
  XmlDocument doc = XmlDocument::Create();

  platform_test::WriteUtf8(folder + "/gbk.xml",
                  "<?xml version=\"1.0\" encoding=\"GBK\"?><a>\xB9\xFA\x81\x40</a>");
  ASSERT_EQ(doc.LoadFile(gbkFolder + "gbk.xml"), XmlLoad::kParsed);
  EXPECT_EQ(doc.SelectSingleNode("/a")->Text(), "\xB9\xFA\x81\x40");

  // 0x8140 is not in GB2312; such files exist and Windows reads them as 936.
  platform_test::WriteUtf8(folder + "/gb2312.xml",
                  "<?xml version='1.0' encoding='gb2312'?><a>\xB9\xFA\x81\x40</a>");
  ASSERT_EQ(doc.LoadFile(gbkFolder + "gb2312.xml"), XmlLoad::kParsed);
  EXPECT_EQ(doc.SelectSingleNode("/a")->Text(), "\xB9\xFA\x81\x40");

  platform_test::WriteUtf8(folder + "/utf8.xml", "<a>\xE5\x9B\xBD</a>");
  ASSERT_EQ(doc.LoadFile(gbkFolder + "utf8.xml"), XmlLoad::kParsed);
  EXPECT_EQ(doc.SelectSingleNode("/a")->Text(), "\xB9\xFA");
}

// The cell-export reader takes every name of code page 936, in any letter
// case, for GBK: 0x8140 is a character only GBK has.
TEST(PosixXml, EveryNameOfGbkIsReadAsGbk) {
  platform_test::TempDir dir;
  for (const char* name : {"GBK", "gbk", "GB2312", "gb2312", "CP936", "Cp936", "MS936",
                           "windows-936", "WINDOWS-936", "x-gbk", "csGB2312", "GB_2312-80",
                           "EUC-CN", "euc-cn"}) {
    SCOPED_TRACE(name);
    platform_test::WriteUtf8(dir / "export.xml",
                             std::string("<?xml version=\"1.0\" encoding=\"") + name +
                                 "\"?>\n<vok><cell><value>\xB9\xFA\x81\x40</value></cell></vok>");
    std::vector<std::string> values;
    ASSERT_EQ(ReadXmlRecords(dir / "export.xml", "vok", "cell", {"value"},
                             [&](const std::vector<XmlField>& fields) {
                               values.push_back(fields.at(0).text);
                             }),
              XmlLoad::kParsed);
    EXPECT_EQ(values, std::vector<std::string>{"\xB9\xFA\x81\x40"});
  }
}

TEST(PosixXml, LoadFileMissingThrowsMalformedIsNotParsed) {
  platform_test::TempDir dir;
  XmlDocument doc = Loaded("<a/>");
  EXPECT_THROW(doc.LoadFile(dir / "missing.xml"), XmlError);
  EXPECT_FALSE(doc.SelectSingleNode("/a"));

  platform_test::WriteUtf8(dir / "bad.xml", "<a><b></a>");
  ASSERT_EQ(doc.LoadText("<a/>"), XmlLoad::kParsed);
  EXPECT_EQ(doc.LoadFile(dir / "bad.xml"), XmlLoad::kNotParsed);
  EXPECT_FALSE(doc.SelectSingleNode("/a"));
  platform_test::WriteUtf8(dir / "empty.xml", "");
  EXPECT_EQ(doc.LoadFile(dir / "empty.xml"), XmlLoad::kNotParsed);
}

TEST(PosixXml, ExternalEntitiesAndDtdsAreNeverRead) {
  platform_test::TempDir dir;
  platform_test::WriteUtf8(dir / "secret.txt", "SECRET");
  platform_test::WriteUtf8(dir / "defs.dtd", "<!ENTITY ext SYSTEM \"file://" + dir / "secret.txt" + "\">");
  const std::string texts[] = {
      "<!DOCTYPE x [<!ENTITY ext SYSTEM \"file://" + dir / "secret.txt" + "\">]><x>[&ext;]</x>",
      "<!DOCTYPE x SYSTEM \"file://" + dir / "defs.dtd" + "\"><x>[&ext;]</x>",
      "<!DOCTYPE x SYSTEM \"file:///etc/passwd\"><x>[&ext;]</x>",
      "<!DOCTYPE x [<!ENTITY % p SYSTEM \"file://" + dir / "defs.dtd" + "\"> %p;]><x>[&ext;]</x>",
  };
  for (const std::string& text : texts) {
    for (bool fromFile : {false, true}) {
      XmlDocument doc = XmlDocument::Create();
      XmlLoad load;
      if (fromFile) {
        platform_test::WriteUtf8(dir / "doc.xml", text);
        load = doc.LoadFile(dir / "doc.xml");
      } else {
        load = doc.LoadText(text);
      }
      if (load == XmlLoad::kNotParsed) continue;
      const std::string got = doc.SelectSingleNode("/x")->Text();
      EXPECT_EQ(got.find("SECRET"), std::string::npos) << text;
      EXPECT_EQ(got.find("root:"), std::string::npos) << text;
    }
  }
}

// Loading or reading the text of `text` either fails cleanly or gives a
// bounded text, and quickly.
void ExpectBounded(const std::string& text) {
  const auto start = std::chrono::steady_clock::now();
  XmlDocument doc = XmlDocument::Create();
  if (doc.LoadText(text) == XmlLoad::kParsed) {
    try {
      EXPECT_LE(doc.SelectSingleNode("/lolz")->Text().size(), std::size_t{64} << 20);
    } catch (const XmlError&) {
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

std::string EntityNest(const std::string& innermost) {
  std::string text = "<!DOCTYPE lolz [<!ENTITY lol0 \"" + innermost + "\">";
  for (int level = 1; level <= 9; ++level) {
    text += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) text += "&lol" + std::to_string(level - 1) + ";";
    text += "\">";
  }
  return text + "]><lolz>&lol9;</lolz>";
}

TEST(PosixXml, EntityBombsDoNotExhaustMemoryOrTime) {
  ExpectBounded(EntityNest("lol"));
  ExpectBounded(EntityNest(""));
}

}  // namespace
}  // namespace vok::platform
