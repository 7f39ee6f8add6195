// vokqm7_wine_bench: the Windows side of the benchmarks, run under Wine.
// Google Benchmark has no mingw build here, so this is a small harness on
// the steady clock (QueryPerformanceCounter underneath): each figure is the
// fastest of a few runs, and baselines are measured in the same run.
//   vokqm7_wine_bench <work folder> [largest size]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "cell_exports.h"
#include "driver/install_lock.h"
#include "platform/path_parts.h"
#include "request/trace.h"
#include "request/message_buffer.h"
#include "platform/files.h"
#include "platform/xml.h"
#include "sections/section_writers.h"
#include "vokqm7.h"

namespace vok::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration elapsed) { return std::chrono::duration<double>(elapsed).count(); }

// The fastest of `runs` runs of `work` (at least one), in seconds.
double Fastest(int runs, const std::function<bool()>& work) {
  double best = 1e30;
  for (int i = 0; i < std::max(runs, 1); ++i) {
    const Clock::time_point start = Clock::now();
    if (!work()) return -1;
    best = std::min(best, Seconds(Clock::now() - start));
  }
  return best;
}

bool BareLoad(const std::string& path) {
  const platform::XmlSession session;
  platform::XmlDocument document = platform::XmlDocument::Create();
  return document.LoadFile(path) == platform::XmlLoad::kParsed;
}

bool Convert(Writer writer, const std::string& path) {
  using WriterFunction = std::int32_t (*)(const std::string&, std::string&, std::int32_t,
                                          std::int32_t, MessageBuffer&);
  const WriterFunction writers[] = {WriteBalanceSheetSectionV1, WriteBalanceSheetSectionV2,
                                    WriteIncomeStatementSectionV1, WriteIncomeStatementSectionV2,
                                    WriteIncomeStatementSectionV3};
  char text[64] = {};
  MessageBuffer message(text);
  std::string output;
  return writers[static_cast<int>(writer)](path, output, 2007, 2, message) == 0 &&
         output.size() > 1000;
}

void Conversion(const std::string& folder, std::int64_t largest) {
  std::printf("== Conversion: section writer (the DLL's objects) against a bare MSXML load\n");
  std::printf("%-11s %8s %10s %10s %9s %8s %9s %8s\n", "writer", "cells", "load ms", "writer ms",
              "ns/cell", "w/load", "t10x/t", "target");
  for (Writer writer : kWriters) {
    double previous = 0;
    for (std::int64_t size = 1000; size <= largest; size *= 10) {
      const std::string xml = CellExportXml(ShapeOf(writer), size);
      const std::string path = folder + "\\" + ShapeName(ShapeOf(writer)) + ".xml";
      if (!platform::WriteWholeFile(path, xml)) return;
      const double cells = static_cast<double>(CountCells(xml));
      const int runs = size <= 10000 ? 5 : 2;
      double load = 1e30;
      double convert = 1e30;
      // Alternated, so that both see the same load of the machine.
      for (int round = 0; round < runs; ++round) {
        load = std::min(load, Fastest(1, [&] { return BareLoad(path); }));
        convert = std::min(convert, Fastest(1, [&] { return Convert(writer, path); }));
      }
      char scaling[16] = "-";
      if (previous > 0) std::snprintf(scaling, sizeof scaling, "%.2f", convert / previous);
      const double ratio = convert / load;
      std::printf("%-11s %8.0f %10.2f %10.2f %9.0f %8.2f %9s %8s\n", WriterName(writer), cells,
                  load * 1e3, convert * 1e3, convert / cells * 1e9, ratio, scaling,
                  ratio <= 1.5 ? "ok" : "MISSED");
      std::fflush(stdout);
      previous = convert;
    }
  }
}

constexpr char kLogin[] =
    "<Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year><Period>2</Period>"
    "<Server>srv</Server></LoginInfo></Info>";

bool SetInstallValue(const std::string& root) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status = RegSetValueExA(key, "VOKCONFIGFILE", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(root.c_str()),
                                     static_cast<DWORD>(root.size() + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool RunTool(const std::string& tool, const std::string& work_file) {
  std::string command =
      "\"" + tool + "\" -LQM7_VOK{001 2007 2007-02-28 \"srv\" \"" + work_file + "\" 0 }";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void Calls(const std::string& folder, const std::string& program_folder) {
  HMODULE library = LoadLibraryA("VOKQM7.dll");
  if (library == nullptr) {
    std::printf("cannot load VOKQM7.dll\n");
    return;
  }
  const auto get_report_date =
      reinterpret_cast<decltype(&::GetReportDate)>(
          reinterpret_cast<void*>(GetProcAddress(library, "GetReportDate")));
  const auto get_report =
      reinterpret_cast<decltype(&::GetReport)>(
          reinterpret_cast<void*>(GetProcAddress(library, "GetReport")));
  const std::string root = folder + "\\install";
  const std::string vok = root + "\\vok";
  // 国税申报 in GBK: the ANSI code page under Wine's zh_CN locale.
  const std::string national = vok + "\\vokModel\\\xB9\xFA\xCB\xB0\xC9\xEA\xB1\xA8";
  for (const std::string& made : {root, vok, vok + "\\vokModel", national}) {
    CreateDirectoryA(made.c_str(), nullptr);
  }
  const std::string tool = vok + "\\vokwqm7.exe";
  const std::string work = folder + "\\bare_work.rep";
  if (!CopyFileA((program_folder + "\\vokwqm7.exe").c_str(), tool.c_str(), FALSE) ||
      !platform::WriteWholeFile(national + "\\hxsyb.rep",
                                CellExportXml(SheetShape::kIncomeStatement, 1000)) ||
      !platform::WriteWholeFile(national + "\\hxzcfzb.rep",
                                CellExportXml(SheetShape::kBalanceSheet, 1000)) ||
      !platform::WriteWholeFile(work, CellExportXml(SheetShape::kBalanceSheet, 1000)) ||
      !SetInstallValue(root)) {
    std::printf("cannot set up the installation\n");
    return;
  }
  const std::string output = folder + "\\filing.xml";
  const std::string log = vok + "\\vokwqm7.log";
  char message[128] = {};
  double call = 1e30;
  double runs = 1e30;
  for (int round = 0; round < 8; ++round) {
    DeleteFileA(log.c_str());
    call = std::min(call, Fastest(1, [&] {
      return get_report_date(kLogin, output.c_str(), message) == 0;
    }));
    DeleteFileA(log.c_str());
    runs = std::min(runs, Fastest(1, [&] { return RunTool(tool, work) && RunTool(tool, work); }));
  }
  std::printf("\n== GetReportDate at 1k cells against two bare runs of the same tool\n");
  std::printf("call %.2f ms, two tool runs %.2f ms, overhead %.2f ms\n", call * 1e3, runs * 1e3,
              (call - runs) * 1e3);

  // The same call through the core objects linked into this program, with
  // the installation lock and without it, and the lock alone.
  double locked = 1e30;
  double unlocked = 1e30;
  for (int round = 0; round < 8; ++round) {
    for (const bool on : {true, false}) {
      seams::SetInstallLocking(on);
      DeleteFileA(log.c_str());
      const double took =
          Fastest(1, [&] { return ::GetReportDate(kLogin, output.c_str(), message) == 0; });
      (on ? locked : unlocked) = std::min(on ? locked : unlocked, took);
    }
  }
  seams::SetInstallLocking(true);
  constexpr int kLockRounds = 1000;
  const double lock = Fastest(3, [&] {
    for (int i = 0; i < kLockRounds; ++i) {
      if (InstallLocationLock::Take(vok, "bench").outcome() != InstallLocationLock::Outcome::kHeld) {
        return false;
      }
    }
    return true;
  }) / kLockRounds;
  std::printf("\n== The installation lock: the same GetReportDate with and without it\n");
  std::printf("with %.2f ms, without %.2f ms, difference %.3f ms; taking and releasing it alone"
              " %.3f ms\n",
              locked * 1e3, unlocked * 1e3, (locked - unlocked) * 1e3, lock * 1e3);

  // Tracing off (as above) and on, and what a trace that is off costs.
  const std::string trace_file = folder + "\\trace.log";
  double traced = 1e30;
  double untraced = 1e30;
  for (int round = 0; round < 8; ++round) {
    for (const bool on : {true, false}) {
      SetEnvironmentVariableA(trace::kVariable, on ? trace_file.c_str() : nullptr);
      DeleteFileA(log.c_str());
      const double took =
          Fastest(1, [&] { return ::GetReportDate(kLogin, output.c_str(), message) == 0; });
      (on ? traced : untraced) = std::min(on ? traced : untraced, took);
    }
  }
  constexpr int kTraceRounds = 1000;
  const double off = Fastest(3, [&] {
    for (int i = 0; i < kTraceRounds; ++i) {
      trace::CallTrace idle("bench");
      idle.End(0, nullptr, "");
    }
    return true;
  }) / kTraceRounds;
  std::printf("\n== The trace: the same GetReportDate with tracing off and on\n");
  std::printf("off %.2f ms, on %.2f ms, difference %.3f ms; a trace that is off %.4f ms\n",
              untraced * 1e3, traced * 1e3, (traced - untraced) * 1e3, off * 1e3);

  const std::string stamp = folder + "\\exit.stamp";
  SetEnvironmentVariableA("VOKWQM7_SLEEP_MS", "200");
  SetEnvironmentVariableA("VOKWQM7_EXIT_STAMP", stamp.c_str());
  double total = 0;
  double worst = 0;
  constexpr int kExitRuns = 5;
  for (int round = 0; round < kExitRuns; ++round) {
    DeleteFileA(log.c_str());
    if (get_report(kLogin, 0, work.c_str(), (folder + "\\kept.xml").c_str(), message) != 0) {
      std::printf("GetReport failed\n");
      return;
    }
    const auto returned = Clock::now().time_since_epoch();
    long long exited = 0;
    std::ifstream(stamp) >> exited;
    const double ms =
        std::chrono::duration<double, std::milli>(returned - std::chrono::nanoseconds(exited))
            .count();
    total += ms;
    worst = std::max(worst, ms);
  }
  SetEnvironmentVariableA("VOKWQM7_SLEEP_MS", nullptr);
  SetEnvironmentVariableA("VOKWQM7_EXIT_STAMP", nullptr);
  std::printf("\n== Exit latency: a tool sleeping 200 ms, its exit to GetReport's return\n");
  std::printf("mean %.3f ms, worst %.3f ms\n", total / kExitRuns, worst);
}

}  // namespace
}  // namespace vok::bench

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vokqm7_wine_bench <work folder> [largest size]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::int64_t largest = argc > 2 ? std::atoll(argv[2]) : 100000;
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string program_folder = vok::platform::FolderOfPath(program);
  CreateDirectoryA(folder.c_str(), nullptr);
  vok::bench::Conversion(folder, largest);
  vok::bench::Calls(folder, program_folder);
  return 0;
}
