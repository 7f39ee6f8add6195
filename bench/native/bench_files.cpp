#include "native/bench_files.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <utility>

namespace vok::bench {
namespace {

namespace fs = std::filesystem;

struct Generated {
  std::string path;
  std::int64_t cells;
};

std::map<std::pair<SheetShape, std::int64_t>, Generated>& Exports() {
  static std::map<std::pair<SheetShape, std::int64_t>, Generated> exports;
  return exports;
}

const Generated& Generate(const std::string& root, SheetShape shape, std::int64_t cells) {
  auto& exports = Exports();
  const auto key = std::make_pair(shape, cells);
  auto found = exports.find(key);
  if (found != exports.end()) return found->second;
  const std::string xml = CellExportXml(shape, cells);
  Generated generated{root + "/" + ShapeName(shape) + "_" + std::to_string(cells) + ".xml",
                      CountCells(xml)};
  WriteText(generated.path, xml);
  return exports.emplace(key, generated).first->second;
}

}  // namespace

BenchFolder& BenchFolder::Get() {
  static BenchFolder folder;
  return folder;
}

BenchFolder::BenchFolder() {
  std::string pattern = (fs::temp_directory_path() / "vokqm7-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temp folder");
  root_ = pattern;
}

BenchFolder::~BenchFolder() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

const std::string& BenchFolder::Export(SheetShape shape, std::int64_t cells) {
  return Generate(root_, shape, cells).path;
}

std::int64_t BenchFolder::ExportCells(SheetShape shape, std::int64_t cells) {
  return Generate(root_, shape, cells).cells;
}

std::int64_t FileSize(const std::string& path) {
  return static_cast<std::int64_t>(fs::file_size(path));
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace vok::bench
