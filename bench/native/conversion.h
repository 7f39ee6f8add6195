// One conversion of a cell export by a section writer, and one bare parse.
#pragma once

#include <cstdint>
#include <string>

#include "cell_exports.h"

namespace vok::bench {

// Runs `writer` on the export at `path`; false when it fails.
bool Convert(Writer writer, const std::string& path);
bool BareParse(const std::string& path);

std::int64_t MaxCells();
void RegisterConversionBenchmarks();

}  // namespace vok::bench
