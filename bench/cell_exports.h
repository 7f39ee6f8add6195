// Generated cell exports of a chosen size, shaped like the sheets the report
// tool writes: a merged title row, a header row with line-number markers,
// data rows of Chinese item names and amounts and, for the financial income
// layout, a supplementary block near the end. Files are UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace vok::bench {

enum class SheetShape {
  kBalanceSheet,           // eight columns, markers in columns 2 and 6
  kIncomeStatement,        // four columns, marker in column 2
  kIncomeWithSupplement,   // as above, with a supplementary block
};

// The five section writers and the sheet each one reads.
enum class Writer { kBalanceV1, kBalanceV2, kIncomeV1, kIncomeV2, kIncomeV3 };
inline constexpr Writer kWriters[] = {Writer::kBalanceV1, Writer::kBalanceV2, Writer::kIncomeV1,
                                      Writer::kIncomeV2, Writer::kIncomeV3};
const char* WriterName(Writer writer);
SheetShape ShapeOf(Writer writer);
const char* ShapeName(SheetShape shape);

// The XML text of a sheet of about `cells` records (whole rows).
std::string CellExportXml(SheetShape shape, std::int64_t cells);

// Number of <cell> records in `xml`.
std::int64_t CountCells(const std::string& xml);

}  // namespace vok::bench
