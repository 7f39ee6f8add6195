#include "cell_exports.h"

#include <cstdio>

namespace vok::bench {
namespace {

const char* const kAssetNames[] = {"货币资金", "短期投资", "应收票据", "应收账款", "预付账款",
                                   "其他应收款", "存货", "待摊费用", "长期股权投资", "固定资产原价",
                                   "减：累计折旧", "在建工程", "无形资产", "长期待摊费用"};
const char* const kLiabilityNames[] = {"短期借款", "应付票据", "应付账款", "预收账款",
                                       "应付工资", "应交税金", "其他应付款", "预提费用",
                                       "长期借款", "实收资本", "资本公积", "盈余公积",
                                       "未分配利润", "负债和所有者权益合计"};
const char* const kIncomeNames[] = {"一、主营业务收入", "减：主营业务成本", "主营业务税金及附加",
                                    "二、主营业务利润", "加：其他业务利润", "减：营业费用",
                                    "管理费用", "财务费用", "三、营业利润", "加：投资收益",
                                    "补贴收入", "营业外收入", "减：营业外支出", "四、利润总额",
                                    "减：所得税", "五、净利润"};
const char* const kSupplementNames[] = {"1.出售、处置部门或被投资单位所得收益",
                                        "2.自然灾害发生的损失",
                                        "3.会计政策变更增加（或减少）利润总额",
                                        "4.会计估计变更增加（或减少）利润总额"};

template <std::size_t N>
const char* Pick(const char* const (&names)[N], std::int64_t i) {
  return names[static_cast<std::size_t>(i) % N];
}

class SheetText {
 public:
  void Cell(std::int64_t row1, std::int64_t col1, std::int64_t row2, std::int64_t col2,
            const std::string& value) {
    char coordinates[160];
    std::snprintf(coordinates, sizeof coordinates,
                  "<cell><row1>%lld</row1><col1>%lld</col1><row2>%lld</row2><col2>%lld</col2>"
                  "<value>",
                  static_cast<long long>(row1), static_cast<long long>(col1),
                  static_cast<long long>(row2), static_cast<long long>(col2));
    xml_ += coordinates;
    xml_ += value;
    xml_ += "</value></cell>\n";
  }
  void Single(std::int64_t row, std::int64_t col, const std::string& value) {
    Cell(row, col, row, col, value);
  }
  std::string Finish() { return xml_ + "</vok>\n"; }

 private:
  std::string xml_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vok>\n";
};

// Amounts in the export's usual shape, varied by a small linear generator.
std::string Amount(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  char text[32];
  std::snprintf(text, sizeof text, "%u.%02u", (state >> 8) % 9000000u, state % 100u);
  return text;
}

std::string BalanceSheet(std::int64_t cells) {
  SheetText sheet;
  std::uint32_t state = 7;
  sheet.Cell(1, 1, 1, 8, "资产负债表");
  const char* const header[] = {"资产", "行次", "年初数", "期末数",
                                "负债及所有者权益", "行次", "年初数", "期末数"};
  for (int c = 0; c < 8; ++c) sheet.Single(2, c + 1, header[c]);
  const std::int64_t rows = (cells - 9) / 8;
  for (std::int64_t r = 0; r < rows; ++r) {
    const std::int64_t row = r + 3;
    sheet.Single(row, 1, Pick(kAssetNames, r));
    sheet.Single(row, 2, std::to_string(r + 1));
    sheet.Single(row, 3, Amount(state));
    sheet.Single(row, 4, Amount(state));
    sheet.Single(row, 5, Pick(kLiabilityNames, r));
    sheet.Single(row, 6, std::to_string(rows + r + 1));
    sheet.Single(row, 7, Amount(state));
    sheet.Single(row, 8, Amount(state));
  }
  return sheet.Finish();
}

std::string IncomeStatement(std::int64_t cells, bool with_supplement) {
  SheetText sheet;
  std::uint32_t state = 11;
  sheet.Cell(1, 1, 1, 4, "利润表");
  const char* const header[] = {"项目", "行次", "本月数", "本年累计数"};
  for (int c = 0; c < 4; ++c) sheet.Single(2, c + 1, header[c]);
  const std::int64_t supplement_rows = with_supplement ? 4 : 0;
  // Heading and column-heading rows of the block take eight cells.
  const std::int64_t overhead = 5 + (with_supplement ? 8 : 0) + supplement_rows * 4;
  const std::int64_t main_rows = cells > overhead ? (cells - overhead) / 4 : 1;
  std::int64_t row = 3;
  for (std::int64_t r = 0; r < main_rows; ++r, ++row) {
    sheet.Single(row, 1, Pick(kIncomeNames, r));
    sheet.Single(row, 2, std::to_string(r + 1));
    sheet.Single(row, 3, Amount(state));
    sheet.Single(row, 4, Amount(state));
  }
  if (!with_supplement) return sheet.Finish();
  sheet.Single(row, 1, "补充资料：");
  for (int c = 2; c <= 4; ++c) sheet.Single(row, c, "");
  ++row;
  const char* const block_header[] = {"项目", "行次", "本年累计数", "上年实际数"};
  for (int c = 0; c < 4; ++c) sheet.Single(row, c + 1, block_header[c]);
  ++row;
  for (std::int64_t r = 0; r < supplement_rows; ++r, ++row) {
    sheet.Single(row, 1, Pick(kSupplementNames, r));
    sheet.Single(row, 2, std::to_string(r + 1));
    sheet.Single(row, 3, Amount(state));
    sheet.Single(row, 4, Amount(state));
  }
  return sheet.Finish();
}

}  // namespace

const char* WriterName(Writer writer) {
  switch (writer) {
    case Writer::kBalanceV1: return "balance_v1";
    case Writer::kBalanceV2: return "balance_v2";
    case Writer::kIncomeV1: return "income_v1";
    case Writer::kIncomeV2: return "income_v2";
    case Writer::kIncomeV3: return "income_v3";
  }
  return "?";
}

SheetShape ShapeOf(Writer writer) {
  switch (writer) {
    case Writer::kBalanceV1:
    case Writer::kBalanceV2: return SheetShape::kBalanceSheet;
    case Writer::kIncomeV1:
    case Writer::kIncomeV2: return SheetShape::kIncomeStatement;
    case Writer::kIncomeV3: return SheetShape::kIncomeWithSupplement;
  }
  return SheetShape::kBalanceSheet;
}

const char* ShapeName(SheetShape shape) {
  switch (shape) {
    case SheetShape::kBalanceSheet: return "balance";
    case SheetShape::kIncomeStatement: return "income";
    case SheetShape::kIncomeWithSupplement: return "income_supplement";
  }
  return "?";
}

std::string CellExportXml(SheetShape shape, std::int64_t cells) {
  switch (shape) {
    case SheetShape::kBalanceSheet: return BalanceSheet(cells);
    case SheetShape::kIncomeStatement: return IncomeStatement(cells, false);
    case SheetShape::kIncomeWithSupplement: return IncomeStatement(cells, true);
  }
  return {};
}

std::int64_t CountCells(const std::string& xml) {
  std::int64_t count = 0;
  for (std::size_t at = xml.find("<cell>"); at != std::string::npos;
       at = xml.find("<cell>", at + 6)) {
    ++count;
  }
  return count;
}

}  // namespace vok::bench
