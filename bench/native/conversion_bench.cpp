// Each section writer on generated exports against a bare libxml2 parse of
// the same file with the options the library parses with.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdlib>
#include <string>

#include "native/bench_files.h"
#include "native/conversion.h"

namespace vok::bench {

bool BareParse(const std::string& path) {
  xmlDoc* doc = xmlReadFile(path.c_str(), nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return false;
  xmlFreeDoc(doc);
  return true;
}

std::int64_t MaxCells() {
  const char* cap = std::getenv("VOKQM7_BENCH_MAX_CELLS");
  return cap != nullptr && *cap != '\0' ? std::atoll(cap) : kSizes[3];
}

std::string ConversionName(const char* what, Writer writer, std::int64_t cells) {
  return std::string(what) + "/" + WriterName(writer) + "/" + std::to_string(cells);
}

void RegisterConversionBenchmarks() {
  for (std::int64_t cells : kSizes) {
    if (cells > MaxCells()) continue;
    for (Writer writer : kWriters) {
      // Parse and writer side by side, so that both see the same load.
      benchmark::RegisterBenchmark(
          ConversionName("parse", writer, cells).c_str(), [=](benchmark::State& state) {
            const std::string& path = BenchFolder::Get().Export(ShapeOf(writer), cells);
            for (auto _ : state) {
              if (!BareParse(path)) state.SkipWithError("bare parse failed");
            }
            state.counters["cells"] = static_cast<double>(
                BenchFolder::Get().ExportCells(ShapeOf(writer), cells));
          })->Unit(benchmark::kMillisecond)->MinTime(0.3);
      benchmark::RegisterBenchmark(
          ConversionName("writer", writer, cells).c_str(), [=](benchmark::State& state) {
            const std::string& path = BenchFolder::Get().Export(ShapeOf(writer), cells);
            for (auto _ : state) {
              if (!Convert(writer, path)) state.SkipWithError("writer failed");
            }
            state.counters["cells"] = static_cast<double>(
                BenchFolder::Get().ExportCells(ShapeOf(writer), cells));
          })->Unit(benchmark::kMillisecond)->MinTime(0.3);
    }
  }
}

}  // namespace vok::bench
