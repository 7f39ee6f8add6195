// Reading filing documents for show: every element a section can hold, each
// section on its own, the encodings a document comes in and what does not
// decode, and what is not a filing document.
#include <gtest/gtest.h>

#include "show/filing_document.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;

constexpr char kHead[] = "<?xml version=\"1.0\" encoding=\"GBK\" ?><DZSBB>";

std::string IncomeHead() {
  return "<SB_SYB><SB_SYB_JG><SB_SYB_DM>0</SB_SYB_DM><SB_SYB_DM>成功</SB_SYB_DM></SB_SYB_JG>"
         "<SB_SYB_BTXX><SB_SYB_BZDW></SB_SYB_BZDW><SB_SYB_SKSSQ>202611</SB_SYB_SKSSQ>"
         "<SB_SYB_DWFZR>0</SB_SYB_DWFZR><SB_SYB_CKFZR>0</SB_SYB_CKFZR><SB_SYB_FH></SB_SYB_FH>"
         "<SB_SYB_ZB></SB_SYB_ZB></SB_SYB_BTXX><SB_SYB_MXXX>";
}

std::string IncomeItem(const char* line, const char* name, const char* first_element,
                       const char* first, const char* second_element, const char* second) {
  return std::string("<SB_SYB_XM><SB_SYB_LC>") + line + "</SB_SYB_LC><SB_SYB_XMMC>" + name +
         "</SB_SYB_XMMC><SB_SYB_" + first_element + ">" + first + "</SB_SYB_" + first_element +
         "><SB_SYB_" + second_element + ">" + second + "</SB_SYB_" + second_element +
         "></SB_SYB_XM>";
}

std::string BalanceSection(const std::string& items) {
  return "<SB_ZCFZB><SB_ZCFZB_JG><SB_ZCFZB_DM>0</SB_ZCFZB_DM><SB_ZCFZB_DM>成功</SB_ZCFZB_DM>"
         "</SB_ZCFZB_JG><SB_ZCFZB_BTXX><SB_ZCFZB_BZDW>北京华信商贸有限公司</SB_ZCFZB_BZDW> "
         "<SB_ZCFZB_TBRQ>20261203</SB_ZCFZB_TBRQ><SB_ZCFZB_YTXSYHB>0</SB_ZCFZB_YTXSYHB>"
         "<SB_ZCFZB_GDZBNZUZB>0</SB_ZCFZB_GDZBNZUZB><SB_ZCFZB_GJZB>0</SB_ZCFZB_GJZB>"
         "<SB_ZCFZB_FAZB>0</SB_ZCFZB_FAZB><SB_ZCFZB_GRZB>0</SB_ZCFZB_GRZB>"
         "<SB_ZCFZB_WSZB>0</SB_ZCFZB_WSZB><SB_ZCFZB_DWFZR></SB_ZCFZB_DWFZR>"
         "<SB_ZCFZB_CKFZR></SB_ZCFZB_CKFZR><SB_ZCFZB_FH></SB_ZCFZB_FH><SB_ZCFZB_ZB></SB_ZCFZB_ZB>"
         "</SB_ZCFZB_BTXX><SB_ZCFZB_MXXX>" +
         items + "</SB_ZCFZB_MXXX></SB_ZCFZB>";
}

std::string BalanceItem(const char* line, const char* name, const char* start, const char* end) {
  return std::string("<SB_ZCFZB_XM><SB_ZCFZB_LC>") + line + "</SB_ZCFZB_LC><SB_ZCFZB_XMMC>" + name +
         "</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>" + start + "</SB_ZCFZB_NCS><SB_ZCFZB_QMS>" + end +
         "</SB_ZCFZB_QMS></SB_ZCFZB_XM>";
}

// A combined filing of the national-tax templates, in GBK.
std::string CombinedFiling() {
  return Gbk(kHead + IncomeHead() +
             IncomeItem("1", "一、主营业务收入", "BYS", "486300.00", "BNLJ", "5127450.00") +
             IncomeItem("2", "减：主营业务成本", "BYS", "-", "BNLJ", "3,698,230.00") +
             "</SB_SYB_MXXX></SB_SYB>" +
             BalanceSection(BalanceItem("1", "货币资金", "547660.00", "1077240.15") +
                            BalanceItem("15", "资产总计", "2021590.00", "2621680.15")) +
             "</DZSBB>");
}

FilingDocument Read(const std::string& bytes) {
  std::string fault;
  std::optional<FilingDocument> document = ReadFilingDocument(bytes, fault);
  EXPECT_TRUE(document) << fault;
  return document ? *document : FilingDocument{};
}

std::string Fault(const std::string& bytes) {
  std::string fault;
  EXPECT_FALSE(ReadFilingDocument(bytes, fault));
  return fault;
}

std::vector<std::string> Titles(const ItemList& list) {
  std::vector<std::string> titles;
  for (const AmountColumn& column : list.columns) titles.push_back(column.title);
  return titles;
}

std::string Header(const Statement& statement) {
  std::string text;
  for (const HeaderField& field : statement.header) text += field.label + "=" + field.value + ";";
  return text;
}

TEST(ShowDocument, CombinedFilingHasBothStatementsWithEveryElement) {
  const FilingDocument document = Read(CombinedFiling());
  ASSERT_EQ(document.statements.size(), 2U);
  const Statement& income = document.statements[0];
  EXPECT_EQ(income.kind, StatementKind::kIncomeStatement);
  EXPECT_EQ(income.title, Gbk("利润表"));
  EXPECT_EQ(Header(income), Gbk("所属期=2026年11月;结果=0 成功;编制单位=;单位负责人=0;"
                                "财会负责人=0;复核=;制表=;"));
  ASSERT_EQ(income.lists.size(), 1U);  // no supplementary block in this layout
  EXPECT_EQ(Titles(income.lists[0]), (std::vector<std::string>{Gbk("本月数"), Gbk("本年累计")}));
  ASSERT_EQ(income.lists[0].items.size(), 2U);
  const StatementItem& cost = income.lists[0].items[1];
  EXPECT_EQ(cost.line, "2");
  EXPECT_EQ(cost.name, Gbk("减：主营业务成本"));
  EXPECT_EQ(cost.amounts, (std::vector<std::optional<std::string>>{"-", "3,698,230.00"}));

  const Statement& balance = document.statements[1];
  EXPECT_EQ(balance.kind, StatementKind::kBalanceSheet);
  EXPECT_EQ(Header(balance), Gbk("填表日期=2026年12月3日;结果=0 成功;编制单位=北京华信商贸有限公司;"
                                 "单位负责人=;财会负责人=;复核=;制表=;已贴现商业汇票=0;GDZBNZUZB=0;"
                                 "国家资本=0;法人资本=0;个人资本=0;外商资本=0;"));
  EXPECT_EQ(Titles(balance.lists[0]), (std::vector<std::string>{Gbk("年初数"), Gbk("期末数")}));
  ASSERT_EQ(balance.lists[0].items.size(), 2U);
  EXPECT_EQ(balance.lists[0].items[1].name, Gbk("资产总计"));
  EXPECT_EQ(balance.lists[0].items[1].amounts,
            (std::vector<std::optional<std::string>>{"2021590.00", "2621680.15"}));
}

TEST(ShowDocument, SupplementaryBlockAfterOrInsideTheDetailList) {
  // The layout with a supplementary block after the detail list.
  const FilingDocument after = Read(
      Gbk(kHead + IncomeHead() + IncomeItem("1", "营业收入", "BYS", "10.00", "BNLJ", "120.00") +
          "</SB_SYB_MXXX><SB_SYB_BCZL>" +
          IncomeItem("1", "1.债务重组损失", "BNLJ", "3.00", "SNS", "4.00") +
          "</SB_SYB_BCZL></SB_SYB></DZSBB>"));
  ASSERT_EQ(after.statements.size(), 1U);
  const std::vector<ItemList>& lists = after.statements[0].lists;
  ASSERT_EQ(lists.size(), 2U);
  EXPECT_EQ(lists[0].items.size(), 1U);
  EXPECT_EQ(lists[1].heading, Gbk("补充资料"));
  EXPECT_EQ(Titles(lists[1]), (std::vector<std::string>{Gbk("本年累计"), Gbk("上年数")}));
  EXPECT_EQ(lists[1].items.at(0).amounts,
            (std::vector<std::optional<std::string>>{"3.00", "4.00"}));

  // The year and prior-year layout: the whole statement inside the detail list.
  const FilingDocument inside =
      Read(Gbk(kHead + IncomeHead() + "<SB_SYB_BCZL>" +
               IncomeItem("1", "一、主营业务收入", "BNLJ", "1000.00", "SNS", "12000.00") +
               IncomeItem("2", "减：主营业务成本", "BNLJ", "0.00", "SNS", "8000.50") +
               "</SB_SYB_BCZL></SB_SYB_MXXX></SB_SYB></DZSBB>"));
  const std::vector<ItemList>& nested = inside.statements.at(0).lists;
  ASSERT_EQ(nested.size(), 2U);
  EXPECT_TRUE(nested[0].items.empty());
  ASSERT_EQ(nested[1].items.size(), 2U);
  EXPECT_EQ(nested[1].items[1].amounts,
            (std::vector<std::optional<std::string>>{"0.00", "8000.50"}));

  // An empty block still makes the list, with its usual columns.
  const FilingDocument empty = Read(
      Gbk(kHead + IncomeHead() + "</SB_SYB_MXXX><SB_SYB_BCZL></SB_SYB_BCZL></SB_SYB></DZSBB>"));
  ASSERT_EQ(empty.statements.at(0).lists.size(), 2U);
  EXPECT_EQ(Titles(empty.statements[0].lists[1]),
            (std::vector<std::string>{Gbk("本年累计"), Gbk("上年数")}));
}

TEST(ShowDocument, ColumnsAreTheAmountsTheItemsCarry) {
  // One item lacks its cumulative amount, another has a prior-year one.
  const FilingDocument document = Read(Gbk(
      std::string(kHead) + IncomeHead() +
      "<SB_SYB_XM><SB_SYB_LC>1</SB_SYB_LC><SB_SYB_XMMC>甲</SB_SYB_XMMC><SB_SYB_BYS>1</SB_SYB_BYS>"
      "</SB_SYB_XM>" +
      IncomeItem("2", "乙", "BYS", "2", "SNS", "3") + "</SB_SYB_MXXX></SB_SYB></DZSBB>"));
  const ItemList& list = document.statements.at(0).lists.at(0);
  EXPECT_EQ(Titles(list), (std::vector<std::string>{Gbk("本月数"), Gbk("上年数")}));
  EXPECT_EQ(list.items.at(0).amounts, (std::vector<std::optional<std::string>>{"1", std::nullopt}));
  EXPECT_EQ(list.items.at(1).amounts, (std::vector<std::optional<std::string>>{"2", "3"}));
}

// A small document with `name` as its one item's name, after `head`.
std::string Document(const std::string& head, const std::string& name) {
  return head + IncomeHead() + IncomeItem("1", name.c_str(), "BYS", "1", "BNLJ", "2") +
         "</SB_SYB_MXXX></SB_SYB></DZSBB>";
}

std::string Declared(const char* encoding) {
  return std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?><DZSBB>";
}

TEST(ShowDocument, ReadsGbkUnderAnyOfItsNamesGb18030AndUtf8) {
  const std::string name = Gbk("营业收入");
  auto name_of_first_item = [](const std::string& bytes) {
    const FilingDocument document = Read(bytes);
    return document.statements.empty() ? "" : document.statements[0].lists.at(0).items.at(0).name;
  };
  const std::string utf8 = Document(Declared("UTF-8"), "营业收入");
  EXPECT_EQ(name_of_first_item(utf8), name);
  EXPECT_EQ(name_of_first_item("\xEF\xBB\xBF" + utf8), name);
  // Without a declaration XML means UTF-8, after a byte-order mark too.
  EXPECT_EQ(name_of_first_item(Document("<DZSBB>", "营业收入")), name);
  EXPECT_EQ(name_of_first_item("\xEF\xBB\xBF" + Document("<DZSBB>", "营业收入")), name);
  // Character references to characters GBK has, and none in comments and
  // CDATA sections, which hold none.
  EXPECT_EQ(name_of_first_item(Document(Declared("UTF-8"), "营业&#x6536;&#20837;")), name);
  EXPECT_EQ(name_of_first_item(Document(Declared("UTF-8"), "营业收入<!--&#44032;-->")), name);
  EXPECT_EQ(name_of_first_item(Document(Declared("UTF-8"), "营业<![CDATA[收入]]>")), name);
  for (const char* encoding : {"GBK", "gb2312", "CP936", "x-gbk", "euc-cn", "GB18030"}) {
    EXPECT_EQ(name_of_first_item(Gbk(Document(Declared(encoding), "营业收入"))), name) << encoding;
  }
}

// A document that does not decode is refused with what is wrong and at
// which byte. The odd documents of tests/tool/show-helpers.sh go through the
// whole tool, natively and under Wine; these are the cases they leave out.
TEST(ShowDocument, BytesThatAreNotWhatTheDocumentDeclaresAreRefused) {
  const std::string gbk = Gbk(Document(Declared("GBK"), "营业收入"));
  const std::size_t name_end = gbk.find("</SB_SYB_XMMC>");
  std::string reference = gbk;
  reference.insert(name_end, "&#x5B8B;&#44032;");
  std::string cut_short = Gbk(Document(Declared("GB18030"), "营业收入"));
  cut_short.insert(cut_short.find("</SB_SYB_XMMC>"), "\x81\x30");
  EXPECT_EQ(Fault(std::string("\xFF\xFE<\0D\0", 6)),
            "it starts with a UTF-16 byte-order mark (byte 0); filing documents are GBK (or UTF-8)");
  // 宋 is in GBK, 가 is not.
  EXPECT_EQ(Fault(reference), "the character reference at byte " + std::to_string(name_end + 8) +
                                  " is to U+AC00, which has no GBK form; show reads filing "
                                  "documents as GBK");
  EXPECT_EQ(Fault(cut_short), "byte " + std::to_string(cut_short.find("\x81\x30")) +
                                  " (0x81 0x30 0x3C 0x2F) is not GB18030, which it declares");
}

TEST(ShowDocument, FaultsSayWhatTheFileIs) {
  const std::string filing = CombinedFiling();
  EXPECT_EQ(Fault(""), "it is not well-formed XML");
  EXPECT_EQ(Fault(filing.substr(0, filing.size() - 3)), "it is not well-formed XML");
  EXPECT_EQ(Fault("not xml at all"), "it is not well-formed XML");
  // The declaration reaches the parser as it stands but for its encoding.
  EXPECT_EQ(Fault("<?xml version=\"1.0\" encoding=\"GBK\" junk=\"1\"?><DZSBB><SB_SYB/></DZSBB>"),
            "it is not well-formed XML");
  // No filing document has a DTD, whose entities could make text without end.
  EXPECT_EQ(Fault("<?xml version=\"1.0\"?>\n<!-- c --><?pi x?><!DOCTYPE DZSBB [<!ENTITY a \"x\">]>"
                  "<DZSBB><SB_SYB/></DZSBB>"),
            "it has a document type declaration (byte 40): filing documents have none");
  EXPECT_EQ(Fault(Gbk("<?xml version=\"1.0\" encoding=\"GBK\"?><vok><cell/></vok>")),
            "it is not a filing document: its root element is not DZSBB");
  EXPECT_EQ(Fault("<DZSBB><SB_OTHER/></DZSBB>"),
            "it is not a filing document: DZSBB holds no SB_SYB or SB_ZCFZB section");
}

TEST(ShowDocument, HeaderTextsThatAreNoDateStayAsTheyAre) {
  std::string text = CombinedFiling();
  text.replace(text.find("202611"), 6, "2026-11");
  text.replace(text.find("20261203"), 8, "20261341");
  const FilingDocument document = Read(text);
  EXPECT_EQ(document.statements.at(0).header.at(0).value, "2026-11");
  EXPECT_EQ(document.statements.at(1).header.at(0).value, "20261341");
}

}  // namespace
}  // namespace vok::tool
