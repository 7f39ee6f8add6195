#include "show/filing_document.h"

#include <algorithm>

#include "language/language.h"
#include "platform/codepage.h"
#include "platform/xml.h"
#include "show/document_text.h"

namespace vok::tool {
namespace {

using platform::Utf8ToGbk;
using platform::XmlDocument;
using platform::XmlNode;

// How a header field's text reads in words.
using Wording = std::string (*)(const std::string&);

struct FieldSpec {
  const char* element;  // suffix after the section's prefix
  const char* label;    // UTF-8
  Wording wording;
};

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string AsIs(const std::string& text) { return text; }

// "202611" as "2026年11月"; any other text as it is.
std::string PeriodInWords(const std::string& text) {
  if (text.size() != 6 || !AllDigits(text)) return text;
  const int month = std::stoi(text.substr(4, 2));
  if (month < 1 || month > 12) return text;
  return text.substr(0, 4) + Utf8ToGbk("年") + std::to_string(month) + Utf8ToGbk("月");
}

// "20261203" as "2026年12月3日"; any other text as it is.
std::string DateInWords(const std::string& text) {
  if (text.size() != 8 || !AllDigits(text)) return text;
  const int month = std::stoi(text.substr(4, 2));
  const int day = std::stoi(text.substr(6, 2));
  if (month < 1 || month > 12 || day < 1 || day > 31) return text;
  return text.substr(0, 4) + Utf8ToGbk("年") + std::to_string(month) + Utf8ToGbk("月") +
         std::to_string(day) + Utf8ToGbk("日");
}

// The header block's fields in the order people look for them. The balance
// sheet's six fixed fields are labelled with what their abbreviations stand
// for; GDZBNZUZB's is not known, so it keeps its element name.
const FieldSpec kIncomeHeader[] = {
    {"SKSSQ", "所属期", PeriodInWords}, {"BZDW", "编制单位", AsIs}, {"DWFZR", "单位负责人", AsIs},
    {"CKFZR", "财会负责人", AsIs},      {"FH", "复核", AsIs},       {"ZB", "制表", AsIs},
};
const FieldSpec kBalanceHeader[] = {
    {"TBRQ", "填表日期", DateInWords},
    {"BZDW", "编制单位", AsIs},
    {"DWFZR", "单位负责人", AsIs},
    {"CKFZR", "财会负责人", AsIs},
    {"FH", "复核", AsIs},
    {"ZB", "制表", AsIs},
    {"YTXSYHB", "已贴现商业汇票", AsIs},
    {"GDZBNZUZB", "GDZBNZUZB", AsIs},
    {"GJZB", "国家资本", AsIs},
    {"FAZB", "法人资本", AsIs},
    {"GRZB", "个人资本", AsIs},
    {"WSZB", "外商资本", AsIs},
};

struct ColumnSpec {
  const char* element;
  const char* title;  // UTF-8
};

// Every amount an item of the section may carry, in the order of its
// elements; a list shows those that its items have.
const ColumnSpec kIncomeColumns[] = {{"BYS", "本月数"}, {"BNLJ", "本年累计"}, {"SNS", "上年数"}};
const ColumnSpec kBalanceColumns[] = {{"NCS", "年初数"}, {"QMS", "期末数"}};

std::string TextOf(const std::optional<XmlNode>& node) { return node ? node->Text() : ""; }

std::vector<HeaderField> ReadHeader(const XmlNode& section, const std::string& element,
                                    const FieldSpec* first, const FieldSpec* last) {
  std::vector<HeaderField> header;
  const std::string block = element + "_BTXX/" + element + "_";
  for (const FieldSpec* field = first; field != last; ++field) {
    const std::optional<XmlNode> node = section.SelectSingleNode(block + field->element);
    if (node) header.push_back({Utf8ToGbk(field->label), field->wording(node->Text())});
  }
  // The result block: a code and its words, "0 成功".
  const platform::XmlNodeList codes = section.SelectNodes(element + "_JG/" + element + "_DM");
  std::string result;
  for (long i = 0; i < codes.Length(); ++i) {
    result += (result.empty() ? "" : " ") + codes.Item(i).Text();
  }
  // Right after the period or date, where it is seen first.
  if (codes.Length() > 0) {
    header.insert(header.begin() + (header.empty() ? 0 : 1), {Utf8ToGbk("结果"), result});
  }
  return header;
}

template <std::size_t N>
ItemList ReadList(const XmlNode& section, const std::vector<std::string>& paths,
                  const std::string& element, const ColumnSpec (&candidates)[N],
                  const std::vector<std::string>& usual, const std::string& heading) {
  struct Read {
    std::string line, name;
    std::optional<std::string> amounts[N];
  };
  std::vector<Read> read;
  bool present[N] = {};
  const std::string prefix = element + "_";
  for (const std::string& path : paths) {
    const platform::XmlNodeList nodes = section.SelectNodes(path);
    for (long i = 0; i < nodes.Length(); ++i) {
      const XmlNode item = nodes.Item(i);
      Read& r = read.emplace_back();
      r.line = TextOf(item.SelectSingleNode(prefix + "LC"));
      r.name = TextOf(item.SelectSingleNode(prefix + "XMMC"));
      for (std::size_t c = 0; c < N; ++c) {
        const std::optional<XmlNode> amount = item.SelectSingleNode(prefix + candidates[c].element);
        if (amount) r.amounts[c] = amount->Text();
        present[c] = present[c] || amount.has_value();
      }
    }
  }
  // An empty list, or one whose items carry no amount, keeps the usual columns.
  std::vector<std::size_t> shown;
  for (std::size_t c = 0; c < N; ++c) {
    if (present[c]) shown.push_back(c);
  }
  if (shown.empty()) {
    for (std::size_t c = 0; c < N; ++c) {
      if (std::find(usual.begin(), usual.end(), candidates[c].element) != usual.end()) {
        shown.push_back(c);
      }
    }
  }
  ItemList list;
  list.heading = heading;
  for (std::size_t c : shown) {
    list.columns.push_back({candidates[c].element, Utf8ToGbk(candidates[c].title)});
  }
  for (Read& r : read) {
    StatementItem& item = list.items.emplace_back();
    item.line = std::move(r.line);
    item.name = std::move(r.name);
    for (std::size_t c : shown) item.amounts.push_back(r.amounts[c]);
  }
  return list;
}

Statement ReadIncomeStatement(const XmlNode& section) {
  Statement statement{StatementKind::kIncomeStatement, Utf8ToGbk("利润表"), "SB_SYB", 0, {}, {}};
  statement.header =
      ReadHeader(section, "SB_SYB", std::begin(kIncomeHeader), std::end(kIncomeHeader));
  statement.lists.push_back(ReadList(section, {"SB_SYB_MXXX/SB_SYB_XM"}, "SB_SYB", kIncomeColumns,
                                     {"BYS", "BNLJ"}, ""));
  // The supplementary block stands after the detail list, or holds the whole
  // statement inside it in the year and prior-year layout.
  const std::string inside = "SB_SYB_MXXX/SB_SYB_BCZL";
  const std::string after = "SB_SYB_BCZL";
  if (section.SelectSingleNode(inside) || section.SelectSingleNode(after)) {
    statement.lists.push_back(ReadList(section, {inside + "/SB_SYB_XM", after + "/SB_SYB_XM"},
                                       "SB_SYB", kIncomeColumns, {"BNLJ", "SNS"},
                                       Utf8ToGbk("补充资料")));
  }
  return statement;
}

Statement ReadBalanceSheet(const XmlNode& section) {
  Statement statement{StatementKind::kBalanceSheet, Utf8ToGbk("资产负债表"), "SB_ZCFZB", 0, {}, {}};
  statement.header =
      ReadHeader(section, "SB_ZCFZB", std::begin(kBalanceHeader), std::end(kBalanceHeader));
  statement.lists.push_back(ReadList(section, {"SB_ZCFZB_MXXX/SB_ZCFZB_XM"}, "SB_ZCFZB",
                                     kBalanceColumns, {"NCS", "QMS"}, ""));
  return statement;
}

// Every section at `path`, each a statement of its own, numbered when there
// is more than one.
void AddStatements(const XmlDocument& document, const std::string& path,
                   Statement (*read)(const XmlNode&), FilingDocument& filing) {
  const platform::XmlNodeList sections = document.SelectNodes(path);
  for (long i = 0; i < sections.Length(); ++i) {
    Statement& statement = filing.statements.emplace_back(read(sections.Item(i)));
    if (sections.Length() > 1) statement.number = static_cast<int>(i) + 1;
  }
}

std::optional<FilingDocument> ReadParsed(XmlDocument& document, const std::string& text,
                                         std::string& fault) {
  if (document.LoadText(text) != platform::XmlLoad::kParsed) {
    fault = Tr("it is not well-formed XML");
    return std::nullopt;
  }
  if (!document.SelectSingleNode("/DZSBB")) {
    fault = Tr("it is not a filing document: its root element is not DZSBB");
    return std::nullopt;
  }
  FilingDocument filing;
  AddStatements(document, "/DZSBB/SB_SYB", ReadIncomeStatement, filing);
  AddStatements(document, "/DZSBB/SB_ZCFZB", ReadBalanceSheet, filing);
  if (filing.statements.empty()) {
    fault = Tr("it is not a filing document: DZSBB holds no SB_SYB or SB_ZCFZB section");
    return std::nullopt;
  }
  return filing;
}

}  // namespace

std::string StatementName(const Statement& statement) {
  return statement.title + (statement.number > 0 ? " #" + std::to_string(statement.number) : "");
}

std::optional<FilingDocument> ReadFilingDocument(std::string_view bytes, std::string& fault) {
  const std::optional<std::string> text = DocumentText(bytes, fault);
  if (!text) return std::nullopt;
  platform::XmlSession session;
  XmlDocument document = XmlDocument::Create();
  try {
    return ReadParsed(document, *text, fault);
  } catch (const platform::XmlError& error) {
    // What the parser refuses while the document is read, such as a text
    // past its limit on length.
    fault = TrF("the XML parser refuses it: %s", error.what());
    return std::nullopt;
  }
}

}  // namespace vok::tool
