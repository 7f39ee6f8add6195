// vokqm7_bench: Google Benchmark runs of the library next to its floor, then
// a summary of the ratios measured in this same run.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstring>

#include "native/call_bench.h"
#include "native/conversion.h"
#include "native/peak_memory.h"
#include "native/results.h"

namespace vok::bench {
namespace {

// Keeps the fastest repetition of each benchmark: on a shared machine the
// slower ones measure the neighbours.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      Measured& kept = Results()[run.run_name.function_name];
      if (kept.seconds == 0 || seconds < kept.seconds) {
        kept.seconds = seconds;
        for (const auto& [name, counter] : run.counters) kept.counters[name] = counter.value;
      }
    }
  }
};

}  // namespace

std::map<std::string, Measured>& Results() {
  static std::map<std::string, Measured> results;
  return results;
}

}  // namespace vok::bench

int main(int argc, char** argv) {
  using namespace vok::bench;
  if (const int code = RunHelperIfAsked(argc, argv); code >= 0) return code;
  // Freed memory stays with the process: otherwise glibc hands a large DOM
  // back to the system after every bare parse, the next parse pays its page
  // faults again, and the baseline runs several times slower than a parse
  // in a process that keeps its heap.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
  benchmark::Initialize(&argc, argv);
  bool skip_memory = false;
  for (int i = 1; i < argc; ++i) skip_memory |= std::strcmp(argv[i], "--no-memory") == 0;
  RegisterCallBenchmarks();
  RegisterConversionBenchmarks();
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (!skip_memory) MeasurePeakMemory();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
