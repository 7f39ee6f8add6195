#include "sections/cell_grid.h"

#include <utility>

#include "interface/text_rules.h"

namespace vok {
namespace {

std::string ChildText(const platform::XmlNode& cell, const char* name) {
  const std::optional<platform::XmlNode> child = cell.SelectSingleNode(name);
  if (!child) throw CellExportError(std::string("cell record without ") + name);
  return child->Text();
}

std::int32_t ChildInteger(const platform::XmlNode& cell, const char* name) {
  return ParseLeadingInteger(ChildText(cell, name));
}

CellCoordinates ReadCoordinates(const platform::XmlNode& cell) {
  CellCoordinates where;
  where.row1 = ChildInteger(cell, "row1");
  where.col1 = ChildInteger(cell, "col1");
  where.row2 = ChildInteger(cell, "row2");
  where.col2 = ChildInteger(cell, "col2");
  return where;
}

}  // namespace

CellGrid::CellGrid(std::unique_ptr<platform::XmlSession> session, platform::XmlDocument document,
                   platform::XmlNodeList cells)
    : session_(std::move(session)),
      document_(std::move(document)),
      cells_(std::move(cells)),
      size_(cells_.Length()) {}

CellGrid::CellGrid(CellGrid&&) noexcept = default;
CellGrid& CellGrid::operator=(CellGrid&&) noexcept = default;
CellGrid::~CellGrid() = default;

platform::XmlNode CellGrid::Cell(std::int64_t position) const {
  // Layouts compute positions before and far beyond the list; both are
  // failures of the export, not of the DOM.
  if (position < 0 || position >= size_) {
    throw CellExportError("cell position outside the cell list");
  }
  return cells_.Item(static_cast<long>(position));
}

CellRecord CellGrid::Record(std::int64_t position) const {
  const platform::XmlNode cell = Cell(position);
  CellRecord record;
  static_cast<CellCoordinates&>(record) = ReadCoordinates(cell);
  record.value = ChildText(cell, "value");
  return record;
}

CellCoordinates CellGrid::Coordinates(std::int64_t position) const {
  return ReadCoordinates(Cell(position));
}

std::string CellGrid::Value(std::int64_t position) const {
  return ChildText(Cell(position), "value");
}

CellGrid ReadCellExport(const std::string& path) {
  auto session = std::make_unique<platform::XmlSession>();
  platform::XmlDocument document = platform::XmlDocument::Create();
  if (document.LoadFile(path) != platform::XmlLoad::kParsed) {
    throw CellExportError("cell export is not well-formed XML");
  }
  platform::XmlNodeList cells = document.SelectNodes("//vok/cell");
  return CellGrid(std::move(session), std::move(document), std::move(cells));
}

}  // namespace vok
