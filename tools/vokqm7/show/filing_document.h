// A filing document read for people to look at: its statements, each with
// its header fields in words and its item lists, every text GBK.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

// An amount column of an item list: the element the items carry it in (its
// suffix, "NCS") and the title an accountant reads over it ("年初数").
struct AmountColumn {
  std::string element;
  std::string title;
};

struct StatementItem {
  std::string line;  // 行次
  std::string name;  // 项目
  // One per column of the list; nothing where the item lacks the element.
  std::vector<std::optional<std::string>> amounts;
};

struct ItemList {
  std::string heading;  // empty for the detail list; "补充资料" for the supplementary one
  std::vector<AmountColumn> columns;
  std::vector<StatementItem> items;
};

struct HeaderField {
  std::string label;  // "所属期"
  std::string value;  // "2026年11月"
};

enum class StatementKind { kIncomeStatement, kBalanceSheet };

struct Statement {
  StatementKind kind;
  std::string title;    // "利润表"
  std::string element;  // "SB_SYB"
  int number;           // its place among the document's sections of its kind, from 1,
                        // when there is more than one; else 0
  std::vector<HeaderField> header;
  std::vector<ItemList> lists;  // the detail list, then the supplementary list if there is one
};

// "资产负债表", or "资产负债表 #2" for the second of two.
std::string StatementName(const Statement& statement);

struct FilingDocument {
  // One per section: the income statements first, then the balance sheets,
  // each in document order.
  std::vector<Statement> statements;
};

// Reads a filing document from its file's bytes, decoded as DocumentText
// does: GBK, or UTF-8 where it says so (as `--utf8` writes it). Nothing,
// with `fault` saying why, when the bytes do not decode, are not
// well-formed XML, are refused by the XML parser's limits or are not a DZSBB
// document with an SB_SYB or SB_ZCFZB section. Throws platform::XmlError
// when the XML parser is not available.
std::optional<FilingDocument> ReadFilingDocument(std::string_view bytes, std::string& fault);

}  // namespace vok::tool
