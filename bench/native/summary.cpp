// The summary: every figure the benchmark stands for, as ratios of
// measurements made in this run, each next to its target.
#include <cstdio>
#include <string>

#include "native/bench_files.h"
#include "native/conversion.h"
#include "native/results.h"

namespace vok::bench {
namespace {

constexpr double kWriterToParseTarget = 1.3;
constexpr double kScalingTarget = 11.0;
constexpr double kCallOverheadTargetMs = 5.0;
constexpr double kExitLatencyTargetMs = 5.0;
constexpr double kInstallLockTargetMs = 1.0;
constexpr double kMemoryToFileTarget = 4.0;
// The "plus a constant" of the memory target: what a conversion of any size
// holds beyond an idle process (libxml2's reader buffers and dictionary, the
// code-page tables, the section text's first allocations). It decides the
// verdict only for small exports; at 1M cells it is under 8% of 4x the file.
constexpr double kMemoryConstantBytes = 8.0 * 1048576.0;

const Measured* Find(const std::string& name) {
  auto found = Results().find(name);
  return found == Results().end() || found->second.seconds == 0 ? nullptr : &found->second;
}

const char* Verdict(bool met) { return met ? "ok" : "MISSED"; }

std::string Name(const char* what, Writer writer, std::int64_t cells) {
  return std::string(what) + "/" + WriterName(writer) + "/" + std::to_string(cells);
}

void PrintConversion() {
  std::printf("\n== Conversion: section writer against a bare libxml2 parse of the same file\n");
  std::printf("%-11s %8s %10s %10s %9s %8s %9s %11s\n", "writer", "cells", "parse ms",
              "writer ms", "ns/cell", "w/parse", "t10x/t", "w/p target");
  for (Writer writer : kWriters) {
    const Measured* previous = nullptr;
    for (std::int64_t size : kSizes) {
      const Measured* parse = Find(Name("parse", writer, size));
      const Measured* convert = Find(Name("writer", writer, size));
      if (parse == nullptr || convert == nullptr) continue;
      const double cells = convert->counters.at("cells");
      const double ratio = convert->seconds / parse->seconds;
      char scaling[32] = "-";
      if (previous != nullptr) {
        const double grown = convert->seconds / previous->seconds;
        std::snprintf(scaling, sizeof scaling, "%.2f%s", grown,
                      size == kSizes[3] && grown > kScalingTarget ? " MISSED" : "");
      }
      std::printf("%-11s %8.0f %10.2f %10.2f %9.0f %8.2f %9s %11s\n", WriterName(writer), cells,
                  parse->seconds * 1e3, convert->seconds * 1e3, convert->seconds / cells * 1e9,
                  ratio, scaling, Verdict(ratio <= kWriterToParseTarget));
      previous = convert;
    }
  }
}

void PrintCalls() {
  const Measured* call = Find("call/GetReportDate");
  const Measured* runs = Find("call/two_bare_tool_runs");
  if (call != nullptr && runs != nullptr) {
    const double overhead_ms = (call->seconds - runs->seconds) * 1e3;
    std::printf("\n== GetReportDate at 1k cells against two bare runs of the same tool\n");
    std::printf("call %.2f ms, two tool runs %.2f ms, overhead %.2f ms (target <= %.0f ms: %s)\n",
                call->seconds * 1e3, runs->seconds * 1e3, overhead_ms, kCallOverheadTargetMs,
                Verdict(overhead_ms <= kCallOverheadTargetMs));
    if (const Measured* write = Find("call/durable_output_write")) {
      std::printf("of which the durable write of the document (fsync, rename, fsync) %.2f ms;"
                  " overhead without it %.2f ms\n",
                  write->seconds * 1e3, overhead_ms - write->seconds * 1e3);
    }
  }
  const Measured* locked = Find("call/GetReportDate_core_locked");
  const Measured* unlocked = Find("call/GetReportDate_core_unlocked");
  const Measured* lock = Find("call/install_lock");
  if (locked != nullptr && unlocked != nullptr && lock != nullptr) {
    std::printf("\n== The installation lock: the same GetReportDate with and without it\n");
    std::printf("with %.2f ms, without %.2f ms, difference %.3f ms (%+.1f%%); taking and releasing"
                " it alone %.3f ms (target < %.0f ms: %s)\n",
                locked->seconds * 1e3, unlocked->seconds * 1e3,
                (locked->seconds - unlocked->seconds) * 1e3,
                (locked->seconds / unlocked->seconds - 1) * 100, lock->seconds * 1e3,
                kInstallLockTargetMs, Verdict(lock->seconds * 1e3 < kInstallLockTargetMs));
  }
  const Measured* traced = Find("call/GetReportDate_core_traced");
  const Measured* trace_off = Find("call/trace_off");
  if (locked != nullptr && traced != nullptr && trace_off != nullptr) {
    std::printf("\n== The trace: the same GetReportDate with tracing off and on\n");
    std::printf("off %.2f ms, on %.2f ms, difference %.3f ms (%+.1f%%); what a call pays for a"
                " trace that is off %.4f ms (%.3f%% of the call)\n",
                locked->seconds * 1e3, traced->seconds * 1e3,
                (traced->seconds - locked->seconds) * 1e3,
                (traced->seconds / locked->seconds - 1) * 100, trace_off->seconds * 1e3,
                trace_off->seconds / locked->seconds * 100);
  }
  const Measured* exit = Find("call/exit_latency");
  if (exit != nullptr) {
    const double mean = exit->counters.at("exit_latency_ms");
    std::printf("\n== Exit latency: a tool sleeping 200 ms, its exit to GetReport's return\n");
    std::printf("mean %.3f ms, worst %.3f ms (target < %.0f ms: %s)\n", mean,
                exit->counters.at("worst_ms"), kExitLatencyTargetMs,
                Verdict(mean < kExitLatencyTargetMs));
  }
}

void PrintMemory() {
  auto idle = Results().find("memory/idle");
  if (idle == Results().end()) return;
  const double constant = idle->second.counters["peak_bytes"];
  std::printf("\n== Peak RSS of one conversion in its own process (idle process: %.1f MiB;"
              " target: writer - idle <= %.0fx file + %.0f MiB)\n",
              constant / 1048576.0, kMemoryToFileTarget, kMemoryConstantBytes / 1048576.0);
  std::printf("%-11s %8s %9s %12s %12s %10s %8s\n", "writer", "cells", "file MiB", "parse MiB",
              "writer MiB", "(w-idle)/f", "target");
  for (Writer writer : kWriters) {
    auto convert = Results().find(std::string("memory/writer/") + WriterName(writer));
    auto parse = Results().find(std::string("memory/parse/") + WriterName(writer));
    if (convert == Results().end() || parse == Results().end()) continue;
    auto& counters = convert->second.counters;
    const double file = counters["file_bytes"];
    const double above_idle = counters["peak_bytes"] - constant;
    const double ratio = above_idle / file;
    std::printf("%-11s %8.0f %9.1f %12.1f %12.1f %10.2f %8s\n", WriterName(writer),
                counters["cells"], file / 1048576.0,
                parse->second.counters["peak_bytes"] / 1048576.0,
                counters["peak_bytes"] / 1048576.0, ratio,
                Verdict(above_idle <= kMemoryToFileTarget * file + kMemoryConstantBytes));
  }
}

}  // namespace

void PrintSummary() {
  PrintConversion();
  PrintCalls();
  PrintMemory();
}

}  // namespace vok::bench
