// The cell export reader and the text rules every section writer shares:
// markers, cleaning, amounts, escaping, lazy record reading, and what an
// export that cannot be read does to a section.
#include <gtest/gtest.h>

#include "request/messages.h"
#include "platform/xml.h"
#include "sections/cell_grid.h"
#include "sections/cell_text.h"
#include "sections_test_cells.h"

namespace vok {
namespace {

using test::CellExportBuilder;
using test::Gbk;
using test::TempFolder;

TEST(SectionTextRulesTest, HeaderMarkersIgnoreBlanksAndFullWidthBlanksOnly) {
  EXPECT_TRUE(IsHeaderMarker(Gbk("行次")));
  EXPECT_TRUE(IsHeaderMarker(Gbk("行数")));
  EXPECT_TRUE(IsHeaderMarker(Gbk("栏次")));
  EXPECT_TRUE(IsHeaderMarker(Gbk(" 行 次 ")));
  EXPECT_TRUE(IsHeaderMarker(Gbk("行　次")));
  EXPECT_TRUE(IsHeaderMarker(Gbk("　　栏　次　")));
  EXPECT_FALSE(IsHeaderMarker(Gbk("行次:")));
  EXPECT_FALSE(IsHeaderMarker(Gbk("行次：")));
  EXPECT_FALSE(IsHeaderMarker(Gbk("行\t次")));
  EXPECT_FALSE(IsHeaderMarker(Gbk("行\n次")));
  EXPECT_FALSE(IsHeaderMarker(Gbk("行")));
  EXPECT_FALSE(IsHeaderMarker(""));
  EXPECT_FALSE(IsHeaderMarker(Gbk("项目")));
}

TEST(SectionTextRulesTest, FullWidthBlankIsRemovedOnlyWhereItIsACharacter) {
  // 小 is D0 A1 and ⌒ is A1 D0: the bytes A1 A1 meet across the two
  // characters. Taken bytewise, D0 [A1 A1] D0 B4 CE would read as 行次.
  const std::string straddling = Gbk("小⌒次");
  ASSERT_EQ(straddling, "\xD0\xA1\xA1\xD0\xB4\xCE");
  EXPECT_EQ(WithoutBlanks(straddling), straddling);
  EXPECT_FALSE(IsHeaderMarker(straddling));
  // A real full-width blank right after such a character still goes.
  EXPECT_EQ(WithoutBlanks(Gbk("小　⌒")), Gbk("小⌒"));
  EXPECT_EQ(WithoutBlanks(Gbk(" a　b ")), "ab");
}

TEST(SectionTextRulesTest, SupplementaryHeadingsAreTheSixTexts) {
  for (const char* heading : {"补充资料：", "补充资料", "补充资料:", "补充材料：", "补充材料",
                              "补充材料:", "补 充 资 料", "　补充资料", "补充资料 ：　"}) {
    EXPECT_TRUE(IsSupplementaryHeading(Gbk(heading))) << heading;
  }
  for (const char* other : {"补充资料。", "补充资料：:", "补充说明", "一、补充资料", "补充\t资料",
                            "补充资料（续）", ""}) {
    EXPECT_FALSE(IsSupplementaryHeading(Gbk(other))) << other;
  }
}

TEST(SectionTextRulesTest, CleaningTrimsAsciiWhiteSpaceAndAmountsDefaultToZero) {
  EXPECT_EQ(CleanedText(" \t\r\n\v\f12\f\v\n\r\t "), "12");
  EXPECT_EQ(CleanedText(Gbk("　货币 资金　")), Gbk("　货币 资金　"));
  EXPECT_EQ(AmountText(""), "0.00");
  EXPECT_EQ(AmountText(" \t "), "0.00");
  EXPECT_EQ(AmountText(" - "), "-");
  EXPECT_EQ(AmountText("1,234,567.891"), "1,234,567.891");
  EXPECT_EQ(AmountText(Gbk("　")), Gbk("　"));  // a full-width blank is text
}

TEST(SectionTextRulesTest, EscapingTouchesOnlyTheThreeMarkupCharacters) {
  std::string out = "x";
  AppendEscaped(out, Gbk("A&B<C>D \"引号\" '单' 表"));
  EXPECT_EQ(out, "x" + Gbk("A&amp;B&lt;C&gt;D \"引号\" '单' 表"));
}

// A grid over a written export; the writers' own use of it is below.
class SectionCellGridTest : public ::testing::Test {
 protected:
  CellGrid Read(const CellExportBuilder& cells) {
    return ReadCellExport(cells.WriteTo(folder_));
  }
  TempFolder folder_;
};

TEST_F(SectionCellGridTest, ReadsRecordsInFileOrderWithTheLeadingIntegerRule) {
  CellExportBuilder cells;
  cells.Raw("<cell><row1> 12</row1><col1>3abc</col1><row2></row2><col2>x7</col2>"
            "<value> 货币资金 </value></cell>")
      .Raw("<cell><value>首</value><col2>-4</col2><row2>+9</row2><col1>2</col1><row1>1</row1></cell>")
      .Raw("<cell><row1>5</row1><col1>1</col1><row2>5</row2><col2>1</col2>"
           "<value>a<b>b</b><![CDATA[ <c> ]]></value></cell>");
  const CellGrid grid = Read(cells);
  ASSERT_EQ(grid.size(), 3);

  const CellRecord first = grid.Record(0);
  EXPECT_EQ(first.row1, 12);
  EXPECT_EQ(first.col1, 3);
  EXPECT_EQ(first.row2, 0);
  EXPECT_EQ(first.col2, 0);
  EXPECT_TRUE(first.IsMergedRange());
  EXPECT_EQ(first.value, Gbk("货币资金"));  // the DOM trims element text

  // Children are found by name, whatever their order.
  const CellRecord second = grid.Record(1);
  EXPECT_EQ(second.row1, 1);
  EXPECT_EQ(second.col1, 2);
  EXPECT_EQ(second.row2, 9);
  EXPECT_EQ(second.col2, -4);

  // The whole text content, CDATA white space kept.
  EXPECT_EQ(grid.Value(2), "ab <c> ");
  EXPECT_FALSE(grid.Coordinates(2).IsMergedRange());
}

TEST_F(SectionCellGridTest, OnlyCellsUnderVokCount) {
  test::WriteFile(folder_ / "mixed.xml",
                  "<?xml version=\"1.0\"?><root><cell><value>no</value></cell>"
                  "<vok><cell><row1>1</row1><col1>1</col1><row2>1</row2><col2>1</col2>"
                  "<value>yes</value></cell></vok><other><vok><cell/></vok></other></root>");
  const CellGrid grid = ReadCellExport(folder_ / "mixed.xml");
  ASSERT_EQ(grid.size(), 2);
  EXPECT_EQ(grid.Value(0), "yes");
  EXPECT_THROW((void)grid.Value(1), CellExportError);
}

TEST_F(SectionCellGridTest, RecordsAreExaminedOnlyWhenRead) {
  CellExportBuilder cells;
  cells.Row(1, {"a"})
      .Raw("<cell><value>only a value</value></cell>")
      .Raw("<cell><row1>3</row1><col1>1</col1><row2>3</row2><col2>1</col2></cell>");
  const CellGrid grid = Read(cells);
  ASSERT_EQ(grid.size(), 3);
  EXPECT_EQ(grid.Record(0).value, "a");
  // A positional read takes the value alone; a full read needs all five.
  EXPECT_EQ(grid.Value(1), "only a value");
  EXPECT_THROW((void)grid.Record(1), CellExportError);
  EXPECT_THROW((void)grid.Coordinates(1), CellExportError);
  EXPECT_EQ(grid.Coordinates(2).row1, 3);
  EXPECT_THROW((void)grid.Record(2), CellExportError);
  EXPECT_THROW((void)grid.Value(2), CellExportError);
}

TEST_F(SectionCellGridTest, PositionsOutsideTheListFail) {
  CellExportBuilder cells;
  cells.Row(1, {"a", "b"});
  const CellGrid grid = Read(cells);
  EXPECT_THROW((void)grid.Value(-1), CellExportError);
  EXPECT_THROW((void)grid.Value(2), CellExportError);
  EXPECT_THROW((void)grid.Record(2), CellExportError);
  EXPECT_THROW((void)grid.Value(std::int64_t{1} << 40), CellExportError);
  EXPECT_EQ(grid.Value(1), "b");
}

TEST_F(SectionCellGridTest, AnExportThatDoesNotParseFailsAndOneWithoutCellsIsEmpty) {
  test::WriteFile(folder_ / "truncated.xml", "<?xml version=\"1.0\"?><vok><cell><row1>1</row1>");
  EXPECT_THROW(ReadCellExport(folder_ / "truncated.xml"), CellExportError);
  test::WriteFile(folder_ / "empty.xml", "");
  EXPECT_THROW(ReadCellExport(folder_ / "empty.xml"), CellExportError);
  EXPECT_ANY_THROW(ReadCellExport(folder_ / "missing.xml"));

  test::WriteFile(folder_ / "nocells.xml", "<?xml version=\"1.0\"?><vok><row/></vok>");
  EXPECT_EQ(ReadCellExport(folder_ / "nocells.xml").size(), 0);
}

TEST_F(SectionCellGridTest, ReadsAnExportDeclaredAsGbk) {
  test::WriteFile(folder_ / "gbk.xml",
                  Gbk("<?xml version=\"1.0\" encoding=\"GBK\"?><vok><cell><row1>3</row1>"
                      "<col1>2</col1><row2>3</row2><col2>2</col2><value>行　次</value></cell></vok>"));
  const CellGrid grid = ReadCellExport(folder_ / "gbk.xml");
  ASSERT_EQ(grid.size(), 1);
  EXPECT_EQ(grid.Value(0), Gbk("行　次"));
  EXPECT_TRUE(IsHeaderMarker(grid.Value(0)));
}

// Every writer, on an export that does not parse: its own message, -1, and
// the document keeps exactly the section's head.
TEST(SectionWriterFailureTest, AnUnparsableExportLeavesOnlyTheHead) {
  TempFolder folder;
  test::WriteFile(folder / "bad.xml", "<?xml version=\"1.0\"?><vok><cell><row1>1</row1></cel></vok>");
  test::WriteFile(folder / "empty.xml", "");
  const std::string balance_head = test::BalanceHead("20240105");
  const std::string income_head = test::IncomeHead("200703");
  struct Case {
    const char* name;
    test::SectionWriter writer;
    const std::string& head;
    const char* message;
  };
  const Case cases[] = {
      {"balance sheet 1", test::BalanceSheetV1On(test::kFilingDay), balance_head,
       msg::kBalanceExportUnreadable},
      {"balance sheet 2", test::BalanceSheetV2On(test::kFilingDay), balance_head,
       msg::kBalanceExportUnreadable},
      {"income statement 1", WriteIncomeStatementSectionV1, income_head, msg::kIncomeExportUnreadable},
      {"income statement 2", WriteIncomeStatementSectionV2, income_head, msg::kIncomeExportUnreadable},
      {"income statement 3", WriteIncomeStatementSectionV3, income_head, msg::kIncomeExportUnreadable},
  };
  for (const Case& c : cases) {
    for (const char* file : {"bad.xml", "empty.xml", "missing.xml"}) {
      const test::SectionRun run = test::RunWriter(c.writer, folder / file);
      EXPECT_EQ(run.result, -1) << c.name << " " << file;
      EXPECT_EQ(run.message, c.message) << c.name << " " << file;
      EXPECT_EQ(run.output, test::Document(c.head)) << c.name << " " << file;
    }
  }
  EXPECT_EQ(std::string(msg::kBalanceExportUnreadable), Gbk("分析资产负债表数据文件错误!"));
  EXPECT_EQ(std::string(msg::kIncomeExportUnreadable), Gbk("分析损益表数据文件错误!"));
}

TEST(SectionWriterFailureTest, AWellFormedExportWithoutCellsGivesAnEmptySection) {
  TempFolder folder;
  test::WriteFile(folder / "none.xml", "<?xml version=\"1.0\"?><report><cell/></report>");
  const std::string path = folder / "none.xml";

  test::SectionRun run = test::RunWriter(test::BalanceSheetV1On(test::kFilingDay), path);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "untouched");
  EXPECT_EQ(run.output, test::Document(test::BalanceHead("20240105") + test::kBalanceEnd));

  run = test::RunWriter(WriteIncomeStatementSectionV2, path);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, test::Document(test::IncomeHead("200703") +
                                       "<SB_SYB_BCZL></SB_SYB_BCZL></SB_SYB_MXXX></SB_SYB>"));

  run = test::RunWriter(WriteIncomeStatementSectionV3, path);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, test::Document(test::IncomeHead("200703") +
                                       "</SB_SYB_MXXX><SB_SYB_BCZL></SB_SYB_BCZL></SB_SYB>"));
}

// Markup characters in cells come out as references, so the filing document
// still parses and gives the cells' texts back.
TEST(SectionEscapingTest, CellTextWithMarkupCharactersGivesADocumentThatParses) {
  TempFolder folder;
  CellExportBuilder cells;
  cells.Row(3, {"项目", "行次", "本月数", "本年累计数"})
      .Row(4, {"收入 & <其他> 收益", "1&2", "<1,000.00>", "R&D"});
  const test::SectionRun run =
      test::RunWriter(WriteIncomeStatementSectionV1, cells.WriteTo(folder));
  ASSERT_EQ(run.result, 0);
  EXPECT_EQ(run.output,
            test::Document(test::IncomeHead("200703") +
                           test::MonthlyItem("1&amp;2", "收入 &amp; &lt;其他&gt; 收益",
                                             "&lt;1,000.00&gt;", "R&amp;D") +
                           test::kMonthlyEnd));

  const platform::XmlSession session;
  platform::XmlDocument document = platform::XmlDocument::Create();
  ASSERT_EQ(document.LoadText(run.output + "</DZSBB>"), platform::XmlLoad::kParsed);
  const auto text_of = [&](const char* path) {
    const std::optional<platform::XmlNode> node = document.SelectSingleNode(path);
    return node ? node->Text() : std::string("<none>");
  };
  EXPECT_EQ(text_of("//SB_SYB_XMMC"), Gbk("收入 & <其他> 收益"));
  EXPECT_EQ(text_of("//SB_SYB_LC"), "1&2");
  EXPECT_EQ(text_of("//SB_SYB_BYS"), "<1,000.00>");
  EXPECT_EQ(text_of("//SB_SYB_BNLJ"), "R&D");
  EXPECT_EQ(text_of("/DZSBB/SB_SYB/SB_SYB_JG/SB_SYB_DM[2]"), Gbk("成功"));
}

}  // namespace
}  // namespace vok
