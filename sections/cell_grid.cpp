#include "sections/cell_grid.h"

#include <cstdio>
#include <iterator>
#include <utility>

#include "request/text_rules.h"
#include "request/trace.h"

namespace vok {
namespace {

const char* const kFieldNames[] = {"row1", "col1", "row2", "col2", "value"};

constexpr std::uint16_t kCoordinateFields = 0x0F;
constexpr std::uint16_t kValueField = 0x10;

// A cell whose text held characters GBK lacks: the document gets "?" for
// them, and the trace says which cell and which characters, so that a
// support engineer can tell why a name reads "?". The text itself is not
// recorded: it might be a figure.
void TraceReplacedCharacters(const std::vector<platform::XmlField>& fields,
                             const std::u32string& lacking) {
  if (!trace::Active()) return;
  std::string characters;
  for (const char32_t c : lacking) {
    char code[16];
    std::snprintf(code, sizeof code, "%sU+%04X", characters.empty() ? "" : ",",
                  static_cast<unsigned>(c));
    characters += code;
  }
  trace::Record("cell.characters_replaced", {{"row", ParseLeadingInteger(fields[0].text)},
                                             {"column", ParseLeadingInteger(fields[1].text)},
                                             {"characters", characters}});
}

}  // namespace

CellGrid::CellGrid(CellGrid&&) noexcept = default;
CellGrid& CellGrid::operator=(CellGrid&&) noexcept = default;
CellGrid::~CellGrid() = default;

void CellGrid::Add(const std::vector<platform::XmlField>& fields) {
  StoredRecord stored{};
  const std::int64_t position = static_cast<std::int64_t>(records_.size());
  for (int f = 0; f < kFieldCount; ++f) {
    const platform::XmlField& field = fields[static_cast<std::size_t>(f)];
    const auto bit = static_cast<std::uint16_t>(1u << f);
    if (field.state == platform::XmlField::State::kMissing) {
      stored.missing |= bit;
    } else if (field.state == platform::XmlField::State::kFailed) {
      stored.failed |= bit;
      failures_.emplace(std::make_pair(position, f), field.text);
    } else if (f == kValue) {
      stored.value_offset = values_.size();
      stored.value_length = static_cast<std::uint32_t>(field.text.size());
      values_ += field.text;
      if (!field.lacking.empty()) TraceReplacedCharacters(fields, field.lacking);
    } else {
      stored.coordinates[f] = ParseLeadingInteger(field.text);
    }
  }
  records_.push_back(stored);
}

const CellGrid::StoredRecord& CellGrid::At(std::int64_t position) const {
  // Layouts compute positions before and far beyond the list; both are
  // failures of the export, not of the XML layer.
  if (position < 0 || position >= size_) {
    throw CellExportError("cell position outside the cell list");
  }
  return records_[static_cast<std::size_t>(position)];
}

void CellGrid::ThrowFault(std::int64_t position, std::uint16_t fields) const {
  const StoredRecord& stored = records_[static_cast<std::size_t>(position)];
  for (int f = 0; f < kFieldCount; ++f) {
    const auto bit = static_cast<std::uint16_t>(1u << f);
    if ((fields & bit) == 0) continue;
    if (stored.missing & bit) {
      throw CellExportError(std::string("cell record without ") + kFieldNames[f]);
    }
    if (stored.failed & bit) throw platform::XmlError(failures_.at({position, f}));
  }
}

CellCoordinates CellGrid::CoordinatesOf(const StoredRecord& stored) const {
  CellCoordinates where;
  where.row1 = stored.coordinates[kRow1];
  where.col1 = stored.coordinates[kCol1];
  where.row2 = stored.coordinates[kRow2];
  where.col2 = stored.coordinates[kCol2];
  return where;
}

CellRecord CellGrid::Record(std::int64_t position) const {
  const StoredRecord& stored = At(position);
  ThrowFault(position, kCoordinateFields | kValueField);
  CellRecord record;
  static_cast<CellCoordinates&>(record) = CoordinatesOf(stored);
  record.value.assign(values_, stored.value_offset, stored.value_length);
  return record;
}

CellCoordinates CellGrid::Coordinates(std::int64_t position) const {
  const StoredRecord& stored = At(position);
  ThrowFault(position, kCoordinateFields);
  return CoordinatesOf(stored);
}

std::string CellGrid::Value(std::int64_t position) const {
  const StoredRecord& stored = At(position);
  ThrowFault(position, kValueField);
  return values_.substr(stored.value_offset, stored.value_length);
}

CellGrid ReadCellExport(const std::string& path) {
  static const std::vector<std::string> kFields(std::begin(kFieldNames), std::end(kFieldNames));
  const platform::XmlSession session;
  CellGrid grid;
  if (platform::ReadXmlRecords(path, "vok", "cell", kFields,
                               [&](const std::vector<platform::XmlField>& fields) {
                                 grid.Add(fields);
                               }) != platform::XmlLoad::kParsed) {
    throw CellExportError("cell export is not well-formed XML");
  }
  grid.size_ = static_cast<std::int64_t>(grid.records_.size());
  return grid;
}

}  // namespace vok
