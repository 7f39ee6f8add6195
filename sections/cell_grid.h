// The cell records of a report tool's cell export, in file order. The
// export is streamed once into a compact table (coordinates as numbers, values
// side by side in one text), so that neither a DOM nor a string per field
// outlives the read; a record's faults (a missing child, a text the XML layer
// could not give) are kept and raised only when a scan asks for that record.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/xml.h"

namespace vok {

// An export that does not parse, a position outside the list or a record
// without a child the reader needs.
class CellExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CellCoordinates {
  std::int32_t row1 = 0;
  std::int32_t col1 = 0;
  std::int32_t row2 = 0;
  std::int32_t col2 = 0;

  // Anything but a single cell; a merged range is listed once, under its
  // top-left corner.
  bool IsMergedRange() const { return row1 != row2 || col1 != col2; }
};

struct CellRecord : CellCoordinates {
  std::string value;  // GBK
};

class CellGrid {
 public:
  CellGrid(CellGrid&&) noexcept;
  CellGrid& operator=(CellGrid&&) noexcept;
  ~CellGrid();

  // Number of records, as counted when the export was loaded.
  [[nodiscard]] std::int64_t size() const { return size_; }

  // The record at `position`: its four coordinates (leading-integer rule) and
  // its value. Throws CellExportError when the position lies outside the
  // list or one of the five children is missing; XmlError when the XML layer
  // could not give one of their texts.
  [[nodiscard]] CellRecord Record(std::int64_t position) const;

  // Only the four coordinates of the record at `position`.
  [[nodiscard]] CellCoordinates Coordinates(std::int64_t position) const;

  // Only the value of the record at `position`.
  [[nodiscard]] std::string Value(std::int64_t position) const;

 private:
  friend CellGrid ReadCellExport(const std::string& path);
  CellGrid() = default;

  // The five children in the order a full record reads them.
  enum Field { kRow1, kCol1, kRow2, kCol2, kValue, kFieldCount };

  struct StoredRecord {
    std::int32_t coordinates[4];
    std::uint32_t value_length;
    std::size_t value_offset;  // into values_
    std::uint16_t missing;     // bit per Field
    std::uint16_t failed;      // bit per Field, the reason in failures_
  };

  void Add(const std::vector<platform::XmlField>& fields);
  const StoredRecord& At(std::int64_t position) const;
  // Raises the first fault among `fields` (bits per Field), if any.
  void ThrowFault(std::int64_t position, std::uint16_t fields) const;
  CellCoordinates CoordinatesOf(const StoredRecord& stored) const;

  std::vector<StoredRecord> records_;
  std::string values_;
  std::map<std::pair<std::int64_t, int>, std::string> failures_;
  std::int64_t size_ = 0;
};

// Reads the "//vok/cell" records of the cell export at `path` (GBK).
// Throws CellExportError when the file is not well-formed XML and XmlError
// when it cannot be read or the DOM fails. A well-formed file without such
// records gives an empty grid.
CellGrid ReadCellExport(const std::string& path);

}  // namespace vok
