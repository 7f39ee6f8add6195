// The row scan of the section writers: finding the header row by its marker,
// walking the data rows below it by their column-1 anchors, and reading an
// item's cells by their position after the anchor.
//
// Positions and rows are computed in 64 bits: coordinates are 32-bit, and a
// row or column at the edge of that range must not wrap around.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "sections/cell_grid.h"
#include "sections/section_text.h"

namespace vok {

// Before any header marker, rows from 10000 on count as data.
inline constexpr std::int64_t kFirstDataRowWithoutHeader = 10000;
// A line-number column that no header marker has set.
inline constexpr std::int64_t kUnsetMarkerColumn = 3000;

// Scan of the fixed layouts: records with col1 = 2 (single or merged) are
// tested for the header marker; every anchor below the header row is handed
// to `on_anchor` with its position, and the scan goes on `row_width`
// positions further. The first merged range at or below the first data row
// ends the scan.
void ScanFixedWidthRows(const CellGrid& grid, std::int64_t row_width,
                        const std::function<void(std::int64_t anchor)>& on_anchor);

// What the layouts that learn the sheet's shape know about its header row.
struct HeaderRow {
  std::int64_t first_data_row = kFirstDataRowWithoutHeader;
  bool marker_seen = false;
  std::int64_t first_marker_column = kUnsetMarkerColumn;
  // The column of the last marker after the first one.
  std::int64_t later_marker_column = kUnsetMarkerColumn;
  // col2 of the last record seen in the row just above the first data row.
  std::int64_t row_width = 0;

  // `marker` is a header marker: the rows below it are data.
  void NoteMarker(const CellRecord& marker);
  // Takes the record's col2 as the row width when it lies in the header row.
  void NoteRowWidth(const CellRecord& record);
};

// Positions from one anchor to the next; the scan always moves on, also when
// no header row has given a width.
std::int64_t RowAdvance(std::int64_t row_width);

// True when the records of the row anchored at `anchor` are all single cells.
// Reads the coordinates of `row_width` records, never fewer than the anchor.
bool RowHasOnlySingleCells(const CellGrid& grid, std::int64_t anchor, std::int64_t row_width);

// Scan of the layouts that learn their columns from the header row: every
// single cell is tested for the header marker, in any row; every anchor below
// the header row whose row holds only single cells is handed to `on_row`.
// A merged range, either at or below the first data row or within an anchored
// row, ends the scan.
void ScanHeaderRowLayout(
    const CellGrid& grid,
    const std::function<void(std::int64_t anchor, const HeaderRow& header)>& on_row);

enum class ItemName { kMayBeEmpty, kRequired };

// The item of the row anchored at `anchor` whose line number stands in
// column `line_number_column`: item name one column to the left, the two
// amounts in the two columns to the right. Nothing when the cleaned line
// number is empty or, for kRequired, the cleaned item name is empty. The
// line number is read first; with kMayBeEmpty an empty one ends the reading,
// with kRequired the item name is read in any case. The amounts are read
// only for an item that is written.
std::optional<ItemTexts> ReadItem(const CellGrid& grid, std::int64_t anchor,
                                  std::int64_t line_number_column, ItemName name_rule);

}  // namespace vok
