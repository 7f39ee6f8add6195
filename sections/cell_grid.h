// The cell records of a report tool's cell export, in file order, read from
// the export's DOM one record at a time when a scan asks for it: a record
// that is never asked for is never examined.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

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
  // list or one of the five children is missing; XmlError when the DOM fails.
  [[nodiscard]] CellRecord Record(std::int64_t position) const;

  // Only the four coordinates of the record at `position`.
  [[nodiscard]] CellCoordinates Coordinates(std::int64_t position) const;

  // Only the value of the record at `position`.
  [[nodiscard]] std::string Value(std::int64_t position) const;

 private:
  friend CellGrid ReadCellExport(const std::string& path);
  CellGrid(std::unique_ptr<platform::XmlSession> session, platform::XmlDocument document,
           platform::XmlNodeList cells);

  platform::XmlNode Cell(std::int64_t position) const;

  // Declared first so that it goes last, after every DOM object.
  std::unique_ptr<platform::XmlSession> session_;
  platform::XmlDocument document_;
  platform::XmlNodeList cells_;
  std::int64_t size_;
};

// Loads the cell export at `path` (GBK) and selects its "//vok/cell" records.
// The grid keeps the DOM usable on this thread for as long as it lives.
// Throws CellExportError when the file is not well-formed XML and XmlError
// when it cannot be read or the DOM fails. A well-formed file without such
// records gives an empty grid.
CellGrid ReadCellExport(const std::string& path);

}  // namespace vok
