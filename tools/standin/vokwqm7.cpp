// Stand-in for the accounting package's batch report tool, vokwqm7.exe.
//
// The real tool computes a report template for an account and writes the
// report's cells to rep_vok.xml in its folder. This double does what the
// library can observe of that: it records its command line, then copies the
// work file named on it to rep_vok.xml (the demo installation's templates
// already hold a sheet's cells), with every "{account}" in it replaced by
// the account of the command, so that figures can tell accounts apart.
// Environment variables make it misbehave, for every account or for one.
#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/program.h"
#include "standin.h"

namespace {

constexpr char kHelp[] =
    "vokwqm7 (stand-in): a TEST DOUBLE of the accounting package's batch report tool.\n"
    "It is not the real tool and computes nothing.\n"
    "\n"
    "usage: vokwqm7.exe -LQM7_VOK{<account> <year> <date> \"<server>\" \"<work file>\" <n> }\n"
    "\n"
    "Records its command line in vokwqm7.args (exact bytes) and vokwqm7.log beside\n"
    "itself, then copies the work file to rep_vok.xml beside itself, every\n"
    "\"{account}\" in it replaced by the command's account.\n"
    "  VOKWQM7_SLEEP_MS=N    sleep N milliseconds first\n"
    "  VOKWQM7_WRITE_PAUSE_MS=N  write rep_vok.xml in two parts, N milliseconds\n"
    "                        apart, as a tool writing a large export does\n"
    "  VOKWQM7_LINGER_MS=N   wait N milliseconds after writing it before exiting\n"
    "  VOKWQM7_NO_OUTPUT=1   write no rep_vok.xml\n"
    "  VOKWQM7_NO_OUTPUT=T   write none when the work file's path contains T\n"
    "  VOKWQM7_NO_OUTPUT_ACCOUNT=A  write none when the command's account is A\n"
    "  VOKWQM7_ODD_ACCOUNT=A every \"{odd}\" in the work file becomes 1 for account A\n"
    "                        and 0 for the others (figures that differ for one account)\n"
    "  VOKWQM7_EXIT_CODE=N   exit with code N\n"
    "  VOKWQM7_CRASH=before  abort before writing rep_vok.xml\n"
    "  VOKWQM7_CRASH=after   abort after writing it\n"
    "  VOKWQM7_EXIT_STAMP=F  write the steady clock's nanoseconds to F just before\n"
    "                        exiting (the benchmark's exit latency)\n"
    "  VOKWQM7_HELPER=1      first start a helper of its own (this program with the\n"
    "                        argument --helper), as a tool that starts a database\n"
    "                        engine does: the helper writes its process id to\n"
    "                        vokwqm7.helper beside the tool and stays a minute\n"
    "  VOKWQM7_BACKDATE_S=N  set rep_vok.xml's last-write time N seconds back, as a\n"
    "                        file left from before the run looks\n"
    "  VOKWQM7_START=C       start the command line C first and leave it running, as\n"
    "                        a tool starts a database engine or a licence helper\n"
    "  VOKWQM7_WHERE=F       write to F whether the tool was started in its own\n"
    "                        folder (\"own folder\") or not (\"elsewhere\")\n";

// The account is the first field after the brace.
std::string AccountOf(const std::string& tail) {
  const std::size_t start = tail.find('{');
  if (start == std::string::npos) return "";
  const std::size_t end = tail.find(' ', start + 1);
  return tail.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

std::string Replaced(std::string text, const std::string& marker, const std::string& by) {
  for (std::size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + by.size())) {
    text.replace(at, marker.size(), by);
  }
  return text;
}

std::string WithAccount(const std::string& text, const std::string& account) {
  const bool odd = vok::standin::Environment("VOKWQM7_ODD_ACCOUNT") == account;
  return Replaced(Replaced(text, "{account}", account), "{odd}", odd ? "1" : "0");
}

// Writes the export, in two parts when asked: a reader in between sees half
// a file, as it would of a real tool's large export.
bool WriteExport(const std::string& path, const std::string& bytes, std::uint32_t pause_ms) {
  if (pause_ms > 0) {
    if (!vok::platform::WriteWholeFile(path, std::string_view(bytes).substr(0, bytes.size() / 2))) {
      return false;
    }
    vok::platform::SleepMilliseconds(pause_ms);
  }
  return vok::platform::WriteWholeFile(path, bytes).ok();
}

// The work file is the second double-quoted field: the last quoted text.
std::string WorkFileOf(const std::string& tail) {
  std::size_t close = tail.rfind('"');
  if (close == std::string::npos || close == 0) return "";
  std::size_t open = tail.rfind('"', close - 1);
  if (open == std::string::npos) return "";
  return tail.substr(open + 1, close - open - 1);
}

// The steady clock is system-wide (CLOCK_MONOTONIC; QueryPerformanceCounter
// on Windows), so the caller can set the stamp against its own clock.
int Exit(int code) {
  if (std::optional<std::string> stamp = vok::standin::Environment("VOKWQM7_EXIT_STAMP")) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    (void)vok::platform::WriteWholeFile(
        *stamp, std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
  }
  return code;
}

constexpr char kHelperArgument[] = "--helper";

int RunAsHelper() {
  (void)vok::platform::WriteWholeFile(vok::standin::OwnFile("vokwqm7.helper"),
                                      std::to_string(vok::platform::ProcessId()));
  vok::platform::SleepMilliseconds(60000);
  return 0;
}

// Left running: the helper outlives this process unless someone ends it.
void StartHelper() {
  const std::string command =
      "\"" + vok::platform::ExecutablePath() + "\" " + kHelperArgument;
  std::optional<vok::platform::ChildProcess> helper = vok::platform::ChildProcess::Start(command);
  static_cast<void>(helper);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vok;
  if (standin::HelpAsked(argc, argv, kHelp)) return 0;

  const std::string tail = platform::CommandLineTail(argc, argv);
  if (tail == kHelperArgument) return RunAsHelper();
  standin::RecordCommandLine("vokwqm7", tail);
  if (standin::Environment("VOKWQM7_HELPER") == "1") StartHelper();
  if (std::optional<std::string> helper = standin::Environment("VOKWQM7_START")) {
    if (!platform::StartDetached(*helper)) return 4;
  }
  if (std::optional<std::string> where = standin::Environment("VOKWQM7_WHERE")) {
    // A relative name is looked up in the current folder.
    const bool own = platform::PathExists("vokwqm7.exe");
    (void)platform::WriteWholeFile(*where, own ? "own folder" : "elsewhere");
  }
  platform::SleepMilliseconds(standin::EnvironmentNumber("VOKWQM7_SLEEP_MS", 0));
  const int exit_code = static_cast<int>(standin::EnvironmentNumber("VOKWQM7_EXIT_CODE", 0));

  if (tail.rfind("-LQM7_VOK{", 0) != 0) return 2;
  const std::string crash = standin::Environment("VOKWQM7_CRASH").value_or("");
  if (crash == "before") std::abort();
  const std::string work_file = WorkFileOf(tail);
  const std::string account = AccountOf(tail);
  const std::string no_output = standin::Environment("VOKWQM7_NO_OUTPUT").value_or("");
  if (no_output == "1" || (!no_output.empty() && work_file.find(no_output) != std::string::npos) ||
      standin::Environment("VOKWQM7_NO_OUTPUT_ACCOUNT") == account) {
    return Exit(exit_code);
  }
  const std::optional<std::string> sheet = platform::ReadWholeFile(work_file);
  if (!sheet || !WriteExport(standin::OwnFile("rep_vok.xml"), WithAccount(*sheet, account),
                             standin::EnvironmentNumber("VOKWQM7_WRITE_PAUSE_MS", 0))) {
    return 3;
  }
  if (const std::uint32_t back = standin::EnvironmentNumber("VOKWQM7_BACKDATE_S", 0)) {
    (void)platform::SetLastWriteTime(standin::OwnFile("rep_vok.xml"), platform::FileTimeNow(back));
  }
  platform::SleepMilliseconds(standin::EnvironmentNumber("VOKWQM7_LINGER_MS", 0));
  if (crash == "after") std::abort();
  return Exit(exit_code);
}
