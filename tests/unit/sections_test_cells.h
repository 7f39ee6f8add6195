// Cell exports and expected section texts for the section writer tests. The
// expected texts are written here from the filing format, independently of
// the writers; everything is UTF-8 until compared, through Gbk().
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "request/message_buffer.h"
#include "platform/clock.h"
#include "sections/balance_sheet_writers.h"
#include "sections/section_writers.h"
#include "support/test_support.h"

namespace vok::test {

// The characters a cell value needs escaped inside the export's XML.
inline std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

// Builds the "//vok/cell" records of a cell export in file order.
class CellExportBuilder {
 public:
  CellExportBuilder& Cell(int row1, int col1, int row2, int col2, std::string_view value) {
    body_ += "<cell><row1>" + std::to_string(row1) + "</row1><col1>" + std::to_string(col1) +
             "</col1><row2>" + std::to_string(row2) + "</row2><col2>" + std::to_string(col2) +
             "</col2><value>" + XmlEscaped(value) + "</value></cell>\n";
    return *this;
  }
  // Single cells of `row`, one per value, from column `first_col` on.
  CellExportBuilder& RowFrom(int row, int first_col, std::initializer_list<std::string_view> values) {
    int col = first_col;
    for (std::string_view value : values) {
      Cell(row, col, row, col, value);
      ++col;
    }
    return *this;
  }
  CellExportBuilder& Row(int row, std::initializer_list<std::string_view> values) {
    return RowFrom(row, 1, values);
  }
  CellExportBuilder& Merged(int row1, int col1, int row2, int col2, std::string_view value) {
    return Cell(row1, col1, row2, col2, value);
  }
  // A record written as it stands, for records with missing or odd children.
  CellExportBuilder& Raw(std::string_view cell_xml) {
    body_ += cell_xml;
    body_ += '\n';
    return *this;
  }
  std::string Xml() const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vok>\n" + body_ + "</vok>\n";
  }
  // Writes the export into `folder` and gives its path.
  std::string WriteTo(const TempFolder& folder, std::string_view name = "rep_vok.xml") const {
    const std::string path = folder / name;
    WriteFile(path, Xml());
    return path;
  }

 private:
  std::string body_;
};

inline std::string FixturePath(std::string_view name) {
  return std::string(VOKQM7_TEST_DATA_DIR) + "/sections/" + std::string(name);
}

// An expected section kept in tests/data/sections, one element a line for
// reading; the section itself has no line breaks.
inline std::string ExpectedSection(std::string_view name) {
  std::string text = ReadFile(FixturePath(name));
  std::string joined;
  for (char c : text) {
    if (c != '\n' && c != '\r') joined += c;
  }
  return joined;
}

// The day the balance-sheet tests file on.
inline constexpr platform::LocalDate kFilingDay{2024, 1, 5};

using SectionWriter = std::function<std::int32_t(const std::string&, std::string&, std::int32_t,
                                                 std::int32_t, MessageBuffer&)>;

inline SectionWriter BalanceSheetV1On(platform::LocalDate today) {
  return [today](const std::string& path, std::string& out, std::int32_t year,
                 std::int32_t period, MessageBuffer& message) {
    return WriteBalanceSheetSectionV1(path, out, year, period, message, today);
  };
}
inline SectionWriter BalanceSheetV2On(platform::LocalDate today) {
  return [today](const std::string& path, std::string& out, std::int32_t year,
                 std::int32_t period, MessageBuffer& message) {
    return WriteBalanceSheetSectionV2(path, out, year, period, message, today);
  };
}

// What the document text starts with before the writer appends to it.
inline constexpr char kDocumentSoFar[] = "<?xml version=\"1.0\" encoding=\"GBK\" ?><DZSBB>";

struct SectionRun {
  std::int32_t result;
  std::string output;   // GBK, starting with kDocumentSoFar
  std::string message;  // GBK; "untouched" when the buffer was not written
};

inline SectionRun RunWriter(const SectionWriter& writer, const std::string& path,
                            std::int32_t year = 2007, std::int32_t period = 3) {
  char buffer[80];
  std::memset(buffer, '#', sizeof buffer);
  buffer[sizeof buffer - 1] = '\0';
  const std::string untouched(buffer);
  MessageBuffer message(buffer);
  SectionRun run{0, kDocumentSoFar, {}};
  run.result = writer(path, run.output, year, period, message);
  run.message = std::string(buffer) == untouched ? "untouched" : std::string(buffer);
  return run;
}

// Expected texts, UTF-8.

inline std::string BalanceHead(std::string_view date) {
  return "<SB_ZCFZB><SB_ZCFZB_JG><SB_ZCFZB_DM>0</SB_ZCFZB_DM><SB_ZCFZB_DM>成功</SB_ZCFZB_DM>"
         "</SB_ZCFZB_JG><SB_ZCFZB_BTXX><SB_ZCFZB_BZDW></SB_ZCFZB_BZDW> <SB_ZCFZB_TBRQ>" +
         std::string(date) +
         "</SB_ZCFZB_TBRQ><SB_ZCFZB_YTXSYHB>0</SB_ZCFZB_YTXSYHB>"
         "<SB_ZCFZB_GDZBNZUZB>0</SB_ZCFZB_GDZBNZUZB><SB_ZCFZB_GJZB>0</SB_ZCFZB_GJZB>"
         "<SB_ZCFZB_FAZB>0</SB_ZCFZB_FAZB><SB_ZCFZB_GRZB>0</SB_ZCFZB_GRZB>"
         "<SB_ZCFZB_WSZB>0</SB_ZCFZB_WSZB><SB_ZCFZB_DWFZR></SB_ZCFZB_DWFZR>"
         "<SB_ZCFZB_CKFZR></SB_ZCFZB_CKFZR><SB_ZCFZB_FH></SB_ZCFZB_FH><SB_ZCFZB_ZB></SB_ZCFZB_ZB>"
         "</SB_ZCFZB_BTXX><SB_ZCFZB_MXXX>";
}
inline std::string BalanceItem(std::string_view lc, std::string_view name, std::string_view ncs,
                               std::string_view qms) {
  return "<SB_ZCFZB_XM><SB_ZCFZB_LC>" + std::string(lc) + "</SB_ZCFZB_LC><SB_ZCFZB_XMMC>" +
         std::string(name) + "</SB_ZCFZB_XMMC><SB_ZCFZB_NCS>" + std::string(ncs) +
         "</SB_ZCFZB_NCS><SB_ZCFZB_QMS>" + std::string(qms) + "</SB_ZCFZB_QMS></SB_ZCFZB_XM>";
}
inline constexpr char kBalanceEnd[] = "</SB_ZCFZB_MXXX></SB_ZCFZB>";

inline std::string IncomeHead(std::string_view tax_period) {
  return "<SB_SYB><SB_SYB_JG><SB_SYB_DM>0</SB_SYB_DM><SB_SYB_DM>成功</SB_SYB_DM></SB_SYB_JG>"
         "<SB_SYB_BTXX><SB_SYB_BZDW></SB_SYB_BZDW><SB_SYB_SKSSQ>" +
         std::string(tax_period) +
         "</SB_SYB_SKSSQ><SB_SYB_DWFZR>0</SB_SYB_DWFZR><SB_SYB_CKFZR>0</SB_SYB_CKFZR>"
         "<SB_SYB_FH></SB_SYB_FH><SB_SYB_ZB></SB_SYB_ZB></SB_SYB_BTXX><SB_SYB_MXXX>";
}
inline std::string MonthlyItem(std::string_view lc, std::string_view name, std::string_view bys,
                               std::string_view bnlj) {
  return "<SB_SYB_XM><SB_SYB_LC>" + std::string(lc) + "</SB_SYB_LC><SB_SYB_XMMC>" +
         std::string(name) + "</SB_SYB_XMMC><SB_SYB_BYS>" + std::string(bys) +
         "</SB_SYB_BYS><SB_SYB_BNLJ>" + std::string(bnlj) + "</SB_SYB_BNLJ></SB_SYB_XM>";
}
inline std::string YearOnYearItem(std::string_view lc, std::string_view name,
                                  std::string_view bnlj, std::string_view sns) {
  return "<SB_SYB_XM><SB_SYB_LC>" + std::string(lc) + "</SB_SYB_LC><SB_SYB_XMMC>" +
         std::string(name) + "</SB_SYB_XMMC><SB_SYB_BNLJ>" + std::string(bnlj) +
         "</SB_SYB_BNLJ><SB_SYB_SNS>" + std::string(sns) + "</SB_SYB_SNS></SB_SYB_XM>";
}
inline constexpr char kMonthlyEnd[] = "</SB_SYB_MXXX></SB_SYB>";

// The writer's document text for a section, as GBK.
inline std::string Document(std::string_view section_utf8) {
  return kDocumentSoFar + Gbk(section_utf8);
}

}  // namespace vok::test
