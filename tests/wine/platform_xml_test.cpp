// The MSXML 3.0 DOM behind platform/xml.h: texts in and out as GBK, lookups
// that find nothing, list bounds, files, and no external content ever read.
#include <cstddef>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <objbase.h>

#include "msxml_probe.h"
#include "platform/xml.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

using platform::XmlDocument;
using platform::XmlError;
using platform::XmlLoad;
using platform::XmlSession;

class PlatformXml : public ::testing::Test {
 protected:
  XmlSession session_;
  XmlDocument document_ = XmlDocument::Create();
};

TEST_F(PlatformXml, ElementTextComesBackAsGbk) {
  ASSERT_EQ(document_.LoadText(Gbk(u8"<Info><LoginInfo><Server>  账务 服务器 </Server>"
                                   u8"<Year>2007</Year><Odd>&#x0E01;x</Odd></LoginInfo></Info>")),
            XmlLoad::kParsed);
  std::optional<platform::XmlNode> server = document_.SelectSingleNode("//Info/LoginInfo/Server");
  ASSERT_TRUE(server.has_value());
  EXPECT_EQ(server->Text(), Gbk(u8"账务 服务器")) << Readable(server->Text());
  EXPECT_FALSE(document_.SelectSingleNode("//Info/LoginInfo/Period").has_value());

  std::optional<platform::XmlNode> login = document_.SelectSingleNode("//LoginInfo");
  ASSERT_TRUE(login.has_value());
  ASSERT_TRUE(login->SelectSingleNode("Year").has_value());
  EXPECT_EQ(login->SelectSingleNode("Year")->Text(), "2007");
  EXPECT_FALSE(login->SelectSingleNode("Server/Year").has_value());
  // A character GBK lacks becomes the code page's default character.
  EXPECT_EQ(login->SelectSingleNode("Odd")->Text(), "?x");
  // All descendants' text.
  EXPECT_NE(login->Text().find("2007"), std::string::npos);
}

TEST_F(PlatformXml, TextsThatAreNotXmlLeaveAnEmptyDocument) {
  EXPECT_EQ(document_.LoadText("not xml"), XmlLoad::kNotParsed);
  EXPECT_FALSE(document_.SelectSingleNode("//Info").has_value());
  EXPECT_EQ(document_.LoadText(""), XmlLoad::kNotParsed);
  EXPECT_EQ(document_.LoadText("<Info><LoginInfo></Info>"), XmlLoad::kNotParsed);
  EXPECT_FALSE(document_.SelectSingleNode("//Info").has_value());
  // The declared encoding does not matter for a text that is already loaded.
  EXPECT_EQ(document_.LoadText(Gbk(u8"<?xml version=\"1.0\" encoding=\"GBK\"?><a>资产</a>")),
            XmlLoad::kParsed);
  EXPECT_EQ(document_.SelectSingleNode("a")->Text(), Gbk(u8"资产"));
}

TEST_F(PlatformXml, NodeListsCountAndRefuseIndexesOutside) {
  ASSERT_EQ(document_.LoadText("<vok><cell r=\"1\">a</cell><cell r=\"2\"> b </cell>"
                               "<cell r=\"3\"><![CDATA[ c ]]></cell></vok>"),
            XmlLoad::kParsed);
  platform::XmlNodeList cells = document_.SelectNodes("//vok/cell");
  ASSERT_EQ(cells.Length(), 3);
  EXPECT_EQ(cells.Item(0).Text(), "a");
  EXPECT_EQ(cells.Item(1).Text(), "b");
  EXPECT_EQ(cells.Item(2).Text(), " c ") << "white space of a CDATA section is kept";
  EXPECT_THROW((void)cells.Item(3), XmlError);
  EXPECT_THROW((void)cells.Item(-1), XmlError);
  // Relative to a node: its own children only.
  ASSERT_EQ(document_.LoadText("<vok><row><cell>1</cell><cell>2</cell></row>"
                               "<row><cell>3</cell></row></vok>"),
            XmlLoad::kParsed);
  const platform::XmlNodeList second =
      document_.SelectNodes("//vok/row").Item(1).SelectNodes("cell");
  ASSERT_EQ(second.Length(), 1);
  EXPECT_EQ(second.Item(0).Text(), "3");
  platform::XmlNodeList none = document_.SelectNodes("//vok/column");
  EXPECT_EQ(none.Length(), 0);
  EXPECT_THROW((void)none.Item(0), XmlError);
}

TEST_F(PlatformXml, FilesAreReadInTheirDeclaredEncoding) {
  ScratchFolder folder(u8"单元导出");
  WriteBytes(folder / u8"gbk.xml",
             Gbk(u8"<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<vok><cell>货币资金</cell></vok>"));
  WriteBytes(folder / "utf8.xml", u8"<vok><cell>货币资金</cell></vok>");
  WriteBytes(folder / "broken.xml", "<vok><cell>");
  ASSERT_EQ(document_.LoadFile(folder / u8"gbk.xml"), XmlLoad::kParsed);
  EXPECT_EQ(document_.SelectSingleNode("//vok/cell")->Text(), Gbk(u8"货币资金"));
  ASSERT_EQ(document_.LoadFile(folder / "utf8.xml"), XmlLoad::kParsed);
  EXPECT_EQ(document_.SelectSingleNode("//vok/cell")->Text(), Gbk(u8"货币资金"));
  EXPECT_EQ(document_.LoadFile(folder / "broken.xml"), XmlLoad::kNotParsed);
  EXPECT_FALSE(document_.SelectSingleNode("//vok").has_value());

  // Wine's msxml3 answers a missing file with S_FALSE, not an error status.
  if (RunningUnderWine()) {
    EXPECT_EQ(document_.LoadFile(folder / "missing.xml"), XmlLoad::kNotParsed);
  } else {
    try {
      EXPECT_EQ(document_.LoadFile(folder / "missing.xml"), XmlLoad::kNotParsed);
    } catch (const XmlError&) {
      // an error status is the other answer the DOM may give
    }
  }
}

// The smallest cell export that Wine's msxml3 refuses to load from the file:
// the lead byte of its first Chinese character is the 180th byte after the
// encoding name's closing quote. The record reader reads it all the same.
TEST(PlatformXmlRecords, GbkExportThatWineCannotLoadIsRead) {
  const std::string path = ProgramFolder() + "\\msxml3\\split_gbk_character.xml";
  const std::optional<std::string> bytes = ReadBytes(path);
  ASSERT_TRUE(bytes.has_value()) << "no fixture beside the program";
  const std::size_t quote = bytes->find("\"GBK\"") + 5;
  ASSERT_GT(bytes->size(), quote + 180);
  ASSERT_GE(static_cast<unsigned char>((*bytes)[quote + 179]), 0x81u) << "not a lead byte there";
  NoteWhetherMsxmlLoads(path);

  XmlSession session;
  std::vector<std::vector<platform::XmlField>> records;
  ASSERT_EQ(platform::ReadXmlRecords(path, "vok", "cell", {"row1", "col2", "value"},
                                     [&](const std::vector<platform::XmlField>& fields) {
                                       records.push_back(fields);
                                     }),
            XmlLoad::kParsed);
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(records[0].size(), 3u);
  for (const platform::XmlField& field : records[0]) {
    EXPECT_EQ(field.state, platform::XmlField::State::kText);
  }
  EXPECT_EQ(records[0][0].text, "1");
  EXPECT_EQ(records[0][2].text, Gbk(u8"编制单位")) << Readable(records[0][2].text);
}

// Wine's msxml3 never fetches external entities or DTDs, whatever
// resolveExternals says, so under Wine this only shows that such documents
// do no harm; on Windows it shows that the DOM is set up not to fetch them.
TEST_F(PlatformXml, NothingOutsideTheTextIsEverRead) {
  ScratchFolder folder("external");
  WriteBytes(folder / "secret.txt", "SECRET");
  WriteBytes(folder / "rules.dtd", "<!ENTITY leak \"FROM-DTD\">");
  const std::string entity = "<!DOCTYPE r [<!ENTITY e SYSTEM \"" + (folder / "secret.txt") +
                             "\">]><r>&e;</r>";
  const XmlLoad entityLoad = document_.LoadText(entity);
  if (entityLoad == XmlLoad::kParsed) {
    EXPECT_EQ(document_.SelectSingleNode("r")->Text().find("SECRET"), std::string::npos);
  }
  const std::string dtd = "<!DOCTYPE r SYSTEM \"" + (folder / "rules.dtd") + "\"><r>&leak;</r>";
  const XmlLoad dtdLoad = document_.LoadText(dtd);
  if (dtdLoad == XmlLoad::kParsed) {
    EXPECT_EQ(document_.SelectSingleNode("r")->Text().find("FROM-DTD"), std::string::npos);
  }
  // An external DTD that does not exist does not stop a document either.
  EXPECT_EQ(document_.LoadText("<!DOCTYPE r SYSTEM \"Z:\\no\\such.dtd\"><r>x</r>"),
            XmlLoad::kParsed);
}

// CoInitialize counts: a session must undo exactly what it did.
TEST(PlatformXmlSession, UndoesOnlyItsOwnInitialisation) {
  std::thread([] {
    { XmlSession alone; }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK)
        << "a session left the apartment initialised";
    {
      XmlSession nested;  // S_FALSE: counted, so undone again
      EXPECT_NO_THROW((void)XmlDocument::Create());
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE)
        << "a nested session undid the caller's initialisation";
    CoUninitialize();
    CoUninitialize();
  }).join();

  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    { XmlSession otherModel; }  // RPC_E_CHANGED_MODE: nothing to undo
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE)
        << "a session that initialised nothing uninitialised the thread";
    CoUninitialize();
    CoUninitialize();
  }).join();
}

}  // namespace
}  // namespace vok::wine_test
