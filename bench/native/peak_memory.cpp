#include "native/peak_memory.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "native/bench_files.h"
#include "native/conversion.h"
#include "native/results.h"

extern char** environ;

namespace vok::bench {
namespace {

constexpr char kHelper[] = "--memory-helper";  // <report file> <mode> [arguments]
constexpr char kIdle[] = "idle";
constexpr char kParse[] = "parse";
constexpr char kConvert[] = "convert";

// The peak RSS of this process, from the kernel's high-water mark of its
// own address space. (A child's ru_maxrss would not do: a child started with
// vfork carries the parent's peak across its exec.)
double OwnPeakBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;  // kB
  }
  return 0;
}

// Peak RSS in bytes of this program run in a helper mode; 0 on failure.
double PeakOfHelper(std::vector<std::string> arguments) {
  std::string self = "/proc/self/exe";
  const std::string report = BenchFolder::Get().root() + "/peak.txt";
  arguments.insert(arguments.begin(), {kHelper, report});
  std::vector<char*> argv{self.data()};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return 0;
  }
  std::ifstream in(report);
  double peak = 0;
  in >> peak;
  return peak;
}

// Runs one helper mode; its peak is written to `report` at the end.
int RunHelper(const char* report, int argc, char** argv) {
  int code = 2;
  if (std::strcmp(argv[0], kIdle) == 0) {
    code = 0;
  } else if (std::strcmp(argv[0], kParse) == 0 && argc == 2) {
    code = BareParse(argv[1]) ? 0 : 1;
  } else if (std::strcmp(argv[0], kConvert) == 0 && argc == 3) {
    for (Writer writer : kWriters) {
      if (std::strcmp(argv[1], WriterName(writer)) == 0) code = Convert(writer, argv[2]) ? 0 : 1;
    }
  }
  std::ofstream(report) << static_cast<long long>(OwnPeakBytes());
  return code;
}

}  // namespace

int RunHelperIfAsked(int argc, char** argv) {
  if (argc < 4 || std::strcmp(argv[1], kHelper) != 0) return -1;
  return RunHelper(argv[2], argc - 3, argv + 3);
}

void MeasurePeakMemory() {
  std::int64_t cells = 0;
  for (std::int64_t size : kSizes) {
    if (size <= MaxCells()) cells = size;
  }
  Results()["memory/idle"].counters["peak_bytes"] = PeakOfHelper({kIdle});
  for (Writer writer : kWriters) {
    const std::string& path = BenchFolder::Get().Export(ShapeOf(writer), cells);
    Measured& parse = Results()[std::string("memory/parse/") + WriterName(writer)];
    parse.counters["peak_bytes"] = PeakOfHelper({kParse, path});
    Measured& convert = Results()[std::string("memory/writer/") + WriterName(writer)];
    convert.counters["peak_bytes"] = PeakOfHelper({kConvert, WriterName(writer), path});
    convert.counters["file_bytes"] = static_cast<double>(FileSize(path));
    convert.counters["cells"] = static_cast<double>(BenchFolder::Get().ExportCells(ShapeOf(writer), cells));
  }
}

}  // namespace vok::bench
