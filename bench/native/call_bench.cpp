// GetReportDate through libVOKQM7.so on a report tool installation whose
// stand-in tool writes its export at once, against two bare starts of the
// same tool; and the time from a sleeping tool's exit to GetReport's return.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver/install_lock.h"
#include "request/trace.h"
#include "native/bench_files.h"
#include "native/call_bench.h"
#include "platform/files.h"
#include "vokqm7.h"

extern char** environ;

namespace vok::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kCallCells = 1000;
constexpr char kLogin[] =
    "<Info><LoginInfo><AccountCode>001</AccountCode><Year>2007</Year><Period>2</Period>"
    "<Server>srv</Server></LoginInfo></Info>";

// The exports of libVOKQM7.so, loaded as a filing client loads it (this
// program also links the core objects, for the writers).
struct Library {
  decltype(&::GetReportDate) get_report_date = nullptr;
  decltype(&::GetReport) get_report = nullptr;
};

const Library& TheLibrary() {
  static const Library library = [] {
    Library loaded;
    void* handle = ::dlopen(VOKQM7_BENCH_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return loaded;
    loaded.get_report_date =
        reinterpret_cast<decltype(&::GetReportDate)>(::dlsym(handle, "GetReportDate"));
    loaded.get_report = reinterpret_cast<decltype(&::GetReport)>(::dlsym(handle, "GetReport"));
    return loaded;
  }();
  return library;
}

struct Installation {
  std::string vok;        // the tool's folder
  std::string tool;       // vok/vokwqm7.exe
  std::string bare_work;  // a work file outside the installation, for the bare runs
  std::string output;
};

const Installation& TheInstallation() {
  static const Installation installation = [] {
    BenchFolder& folder = BenchFolder::Get();
    Installation made;
    const std::string root = folder.root() + "/install";
    made.vok = root + "/vok";
    made.tool = made.vok + "/vokwqm7.exe";
    const std::string registry = folder.root() + "/registry";
    const std::string value_folder =
        registry + "/HKEY_LOCAL_MACHINE/Software/Tarvel/Oramet/2.0/Install/CurrentInst";
    fs::create_directories(value_folder);
    WriteText(value_folder + "/VOKCONFIGFILE", root + "\n");
    // The library keeps the location it finds first: set before any call.
    ::setenv("VOKQM7_REGISTRY", registry.c_str(), 1);
    const std::string national = made.vok + "/vokModel/国税申报";
    fs::create_directories(national);
    fs::copy_file(VOKQM7_BENCH_BATCH_TOOL, made.tool);
    fs::copy_file(folder.Export(SheetShape::kIncomeStatement, kCallCells), national + "/hxsyb.rep");
    fs::copy_file(folder.Export(SheetShape::kBalanceSheet, kCallCells), national + "/hxzcfzb.rep");
    made.bare_work = folder.root() + "/bare_work.rep";
    fs::copy_file(folder.Export(SheetShape::kBalanceSheet, kCallCells), made.bare_work);
    made.output = folder.root() + "/filing.xml";
    return made;
  }();
  return installation;
}

// The tool's log grows by a line per run; both sides start each run without it.
void ForgetToolLog(const Installation& installation) {
  ::unlink((installation.vok + "/vokwqm7.log").c_str());
}

bool BareToolRun(const Installation& installation) {
  const std::string tail =
      "-LQM7_VOK{001 2007 2007-02-28 \"srv\" \"" + installation.bare_work + "\" 0 }";
  char* argv[] = {const_cast<char*>(installation.tool.c_str()), const_cast<char*>(tail.c_str()),
                  nullptr};
  pid_t pid = -1;
  if (::posix_spawn(&pid, installation.tool.c_str(), nullptr, nullptr, argv, environ) != 0) {
    return false;
  }
  int status = 0;
  return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void TwoBareToolRuns(benchmark::State& state) {
  const Installation& installation = TheInstallation();
  for (auto _ : state) {
    ForgetToolLog(installation);
    if (!BareToolRun(installation) || !BareToolRun(installation)) {
      state.SkipWithError("bare tool run failed");
    }
  }
}

void GetReportDateCall(benchmark::State& state) {
  const Installation& installation = TheInstallation();
  const Library& library = TheLibrary();
  if (library.get_report_date == nullptr) {
    state.SkipWithError("cannot load libVOKQM7.so");
    return;
  }
  char message[128] = {};
  for (auto _ : state) {
    ForgetToolLog(installation);
    if (library.get_report_date(kLogin, installation.output.c_str(), message) != 0) {
      state.SkipWithError("GetReportDate failed");
    }
  }
}

enum class CoreCall { kAsShipped, kWithoutLock, kTraced };

// GetReportDate through the core linked into this program, as shipped
// (the lock taken, tracing off), without the lock, and traced: what the
// lock and the trace add to a call.
void CoreGetReportDate(benchmark::State& state, CoreCall how) {
  const Installation& installation = TheInstallation();
  const std::string trace = BenchFolder::Get().root() + "/trace.log";
  vok::seams::SetInstallLocking(how != CoreCall::kWithoutLock);
  if (how == CoreCall::kTraced) ::setenv(vok::trace::kVariable, trace.c_str(), 1);
  char message[128] = {};
  for (auto _ : state) {
    ForgetToolLog(installation);
    if (::GetReportDate(kLogin, installation.output.c_str(), message) != 0) {
      state.SkipWithError("GetReportDate failed");
    }
  }
  ::unsetenv(vok::trace::kVariable);
  ::unlink(trace.c_str());
  vok::seams::SetInstallLocking(true);
}

// What every call pays for a trace that is off: the setting read (the
// environment and the user's registry value) and nothing opened.
void TraceOff(benchmark::State& state) {
  for (auto _ : state) {
    vok::trace::CallTrace trace("bench");
    trace.End(0, nullptr, "");
  }
}

// Taking and releasing the lock alone, as every batch call does once.
void InstallLockAlone(benchmark::State& state) {
  const Installation& installation = TheInstallation();
  for (auto _ : state) {
    const InstallLocationLock lock = InstallLocationLock::Take(installation.vok, "bench");
    if (lock.outcome() != InstallLocationLock::Outcome::kHeld) state.SkipWithError("no lock");
  }
}

// The filing document's durable replacement alone (written, flushed to disk,
// renamed, folder flushed): a part of the call's own cost the disk sets.
void DurableOutputWrite(benchmark::State& state) {
  const Installation& installation = TheInstallation();
  // About the size of the filing GetReportDate writes from two 1k-cell exports.
  const std::string document(std::size_t{64} << 10, 'x');
  for (auto _ : state) {
    if (!platform::ReplaceFileAtomically(installation.output + ".copy", document)) {
      state.SkipWithError("cannot write the document");
    }
  }
}

std::chrono::nanoseconds ReadStamp(const std::string& path) {
  std::ifstream in(path);
  long long nanoseconds = 0;
  in >> nanoseconds;
  return std::chrono::nanoseconds(nanoseconds);
}

void ExitLatency(benchmark::State& state) {
  const Installation& installation = TheInstallation();
  const std::string stamp = BenchFolder::Get().root() + "/exit.stamp";
  const std::string kept = BenchFolder::Get().root() + "/kept.xml";
  const Library& library = TheLibrary();
  if (library.get_report == nullptr) {
    state.SkipWithError("cannot load libVOKQM7.so");
    return;
  }
  ::setenv("VOKWQM7_SLEEP_MS", "200", 1);
  ::setenv("VOKWQM7_EXIT_STAMP", stamp.c_str(), 1);
  char message[128] = {};
  double total_ms = 0;
  double worst_ms = 0;
  for (auto _ : state) {
    ForgetToolLog(installation);
    if (library.get_report(kLogin, 0, installation.bare_work.c_str(), kept.c_str(), message) != 0) {
      state.SkipWithError("GetReport failed");
      break;
    }
    const auto returned = std::chrono::steady_clock::now().time_since_epoch();
    const double ms =
        std::chrono::duration<double, std::milli>(returned - ReadStamp(stamp)).count();
    total_ms += ms;
    worst_ms = std::max(worst_ms, ms);
  }
  ::unsetenv("VOKWQM7_SLEEP_MS");
  ::unsetenv("VOKWQM7_EXIT_STAMP");
  state.counters["exit_latency_ms"] = total_ms / static_cast<double>(state.iterations());
  state.counters["worst_ms"] = worst_ms;
}

}  // namespace

void RegisterCallBenchmarks() {
  // Alternated, so that both sides share the machine's load.
  benchmark::RegisterBenchmark("call/two_bare_tool_runs", TwoBareToolRuns)
      ->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("call/GetReportDate", GetReportDateCall)
      ->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("call/GetReportDate_core_locked", CoreGetReportDate,
                               CoreCall::kAsShipped)
      ->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("call/GetReportDate_core_unlocked", CoreGetReportDate,
                               CoreCall::kWithoutLock)
      ->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("call/GetReportDate_core_traced", CoreGetReportDate,
                               CoreCall::kTraced)
      ->Unit(benchmark::kMillisecond)->MinTime(1.0);
  benchmark::RegisterBenchmark("call/trace_off", TraceOff)
      ->Unit(benchmark::kMicrosecond)->MinTime(0.5);
  benchmark::RegisterBenchmark("call/install_lock", InstallLockAlone)
      ->Unit(benchmark::kMicrosecond)->MinTime(0.5);
  benchmark::RegisterBenchmark("call/durable_output_write", DurableOutputWrite)
      ->Unit(benchmark::kMillisecond)->MinTime(0.5);
  benchmark::RegisterBenchmark("call/exit_latency", ExitLatency)
      ->Unit(benchmark::kMillisecond)->Iterations(10);
}

}  // namespace vok::bench
