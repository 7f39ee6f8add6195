// The benchmark's own folder of generated cell exports and a report tool
// installation, under the system's temporary folder, removed at exit.
#pragma once

#include <cstdint>
#include <string>

#include "cell_exports.h"

namespace vok::bench {

// Sizes the conversion is measured at; VOKQM7_BENCH_MAX_CELLS caps them.
inline constexpr std::int64_t kSizes[] = {1000, 10000, 100000, 1000000};

class BenchFolder {
 public:
  static BenchFolder& Get();

  // The export of `shape` at `cells`, written on first use.
  const std::string& Export(SheetShape shape, std::int64_t cells);
  std::int64_t ExportCells(SheetShape shape, std::int64_t cells);

  const std::string& root() const { return root_; }

 private:
  BenchFolder();
  ~BenchFolder();
  std::string root_;
};

std::int64_t FileSize(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace vok::bench
