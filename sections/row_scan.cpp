#include "sections/row_scan.h"

#include <algorithm>

#include "sections/cell_text.h"

namespace vok {

void ScanFixedWidthRows(const CellGrid& grid, std::int64_t row_width,
                        const std::function<void(std::int64_t anchor)>& on_anchor) {
  std::int64_t first_data_row = kFirstDataRowWithoutHeader;
  for (std::int64_t k = 0; k < grid.size();) {
    const CellRecord record = grid.Record(k);
    if (record.col1 == 2 && IsHeaderMarker(record.value)) {
      first_data_row = std::int64_t{record.row1} + 1;
    }
    if (record.row1 < first_data_row) {
      ++k;
    } else if (record.IsMergedRange()) {
      return;
    } else if (record.col1 != 1) {
      ++k;
    } else {
      on_anchor(k);
      k += RowAdvance(row_width);
    }
  }
}

void HeaderRow::NoteMarker(const CellRecord& marker) {
  first_data_row = std::int64_t{marker.row1} + 1;
  if (!marker_seen) {
    marker_seen = true;
    first_marker_column = marker.col1;
  } else {
    later_marker_column = marker.col1;
  }
}

void HeaderRow::NoteRowWidth(const CellRecord& record) {
  if (record.row1 == first_data_row - 1) row_width = record.col2;
}

std::int64_t RowAdvance(std::int64_t row_width) { return std::max<std::int64_t>(row_width, 1); }

bool RowHasOnlySingleCells(const CellGrid& grid, std::int64_t anchor, std::int64_t row_width) {
  const std::int64_t cells = RowAdvance(row_width);
  for (std::int64_t j = 0; j < cells; ++j) {
    if (grid.Coordinates(anchor + j).IsMergedRange()) return false;
  }
  return true;
}

void ScanHeaderRowLayout(
    const CellGrid& grid,
    const std::function<void(std::int64_t anchor, const HeaderRow& header)>& on_row) {
  HeaderRow header;
  for (std::int64_t k = 0; k < grid.size();) {
    const CellRecord record = grid.Record(k);
    if (!record.IsMergedRange() && IsHeaderMarker(record.value)) header.NoteMarker(record);
    header.NoteRowWidth(record);
    if (record.row1 < header.first_data_row) {
      ++k;
    } else if (record.IsMergedRange()) {
      return;
    } else if (record.col1 != 1) {
      ++k;
    } else {
      if (!RowHasOnlySingleCells(grid, k, header.row_width)) return;
      on_row(k, header);
      k += RowAdvance(header.row_width);
    }
  }
}

std::optional<ItemTexts> ReadItem(const CellGrid& grid, std::int64_t anchor,
                                  std::int64_t line_number_column, ItemName name_rule) {
  // Column n of the row stands at position anchor + n - 1.
  const std::int64_t line_number_at = anchor + line_number_column - 1;
  ItemTexts item;
  item.line_number = CleanedText(grid.Value(line_number_at));
  if (name_rule == ItemName::kMayBeEmpty && item.line_number.empty()) return std::nullopt;
  // Where the name counts, it is read before either text is looked at.
  item.name = CleanedText(grid.Value(line_number_at - 1));
  if (item.line_number.empty()) return std::nullopt;
  if (name_rule == ItemName::kRequired && item.name.empty()) return std::nullopt;
  item.first_amount = AmountText(grid.Value(line_number_at + 1));
  item.second_amount = AmountText(grid.Value(line_number_at + 2));
  return item;
}

}  // namespace vok
