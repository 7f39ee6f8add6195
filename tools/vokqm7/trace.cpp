// trace on, off and show: the library's trace as a support engineer uses it
// at an accountant's desk.
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "output.h"
#include "platform/registry.h"
#include "platform/trace_file.h"
#include "request/trace.h"
#include "trace_report.h"

namespace vok::tool {
namespace {

using trace::kRegistryName;

// The environment variable wins over the registry for every process that
// inherits it; say so where it hides what was just set.
void NoteEnvironment() {
  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  if (setting && setting->source == trace::Setting::Source::kEnvironment) {
    Say(std::string("note: ") + trace::kVariable + "=" + setting->file +
        " is set here and takes precedence for the processes that inherit it");
  }
}

int TraceOn(std::string file) {
  file = file.empty() ? DefaultTraceFile() : AbsolutePath(file);
  if (file.empty()) {
    Complain("no folder for the trace file: give one (vokqm7 trace on FILE)");
    return kExitCannotRun;
  }
  if (!platform::TraceFile::Open(file, trace::kCapBytes)) {
    Complain("cannot write the trace file " + file);
    return kExitCannotRun;
  }
  if (!platform::WriteUserValue(trace::kRegistryKey, trace::kRegistryValue, file)) {
    Complain(std::string("cannot set ") + kRegistryName);
    return kExitCannotRun;
  }
  Say("tracing is on: every call of the library by this user from now on writes to " + file);
  NoteEnvironment();
  return kExitSuccess;
}

int TraceOff() {
  if (!platform::DeleteUserValue(trace::kRegistryKey, trace::kRegistryValue)) {
    Complain(std::string("cannot remove ") + kRegistryName);
    return kExitCannotRun;
  }
  Say(std::string("tracing is off (") + kRegistryName + " removed)");
  NoteEnvironment();
  return kExitSuccess;
}

int TraceShow(std::string file, std::size_t last) {
  if (file.empty()) {
    const std::optional<trace::Setting> setting = trace::CurrentSetting();
    if (!setting) {
      Complain("tracing is off and no FILE was given: nothing to show");
      return kExitUsage;
    }
    file = setting->file;
  }
  const std::optional<std::string> current = ReadFileBytes(file);
  if (!current) {
    Complain("cannot read the trace file " + file);
    return kExitCannotRun;
  }
  // The older generation first, so that calls stay in order.
  const std::string text = ReadFileBytes(file + ".1").value_or("") + *current;
  const TraceReport report = ReadTrace(text);
  if (report.calls.empty()) {
    if (report.unreadable_lines > 0) {
      Complain(file + " is no trace of this library: none of its " +
               std::to_string(report.unreadable_lines) + " lines can be read");
      return kExitExportFailed;
    }
    Say("no calls in " + file);
    return kExitSuccess;
  }
  const std::size_t shown = last == 0 || last > report.calls.size() ? report.calls.size() : last;
  Say(std::to_string(shown) + " of " + std::to_string(report.calls.size()) + " call(s) in " +
      file + ":");
  WriteText(stdout, FormatCallTable(report, last));
  Say("\nThe last call, event by event:");
  WriteText(stdout, FormatCallDetail(report.calls.back()));
  if (report.unreadable_lines > 0) {
    Complain(std::to_string(report.unreadable_lines) +
             " line(s) could not be read (not written by this library, or cut short)");
  }
  return kExitSuccess;
}

}  // namespace

void AddTraceCommand(CLI::App& app, int& status) {
  CLI::App* command = app.add_subcommand(
      "trace", "switch the library's trace on or off for this user, and show what it recorded");
  command->require_subcommand(1);
  auto file = std::make_shared<std::string>();
  auto last = std::make_shared<std::size_t>(10);

  CLI::App* on = command->add_subcommand(
      "on", std::string("trace every call of the library by this user (") + kRegistryName + ")");
  on->add_option("FILE", *file, "the trace file (default: trace.log in the user's local "
                                "application data folder)");
  on->callback([&status, file] { status = TraceOn(ArgumentToGbk(*file)); });

  CLI::App* off = command->add_subcommand(
      "off", std::string("stop tracing (removes ") + kRegistryName + ")");
  off->callback([&status] { status = TraceOff(); });

  CLI::App* show = command->add_subcommand(
      "show", "the last calls as a table, then the last one event by event");
  show->add_option("FILE", *file, "the trace file (default: the one tracing writes to)");
  show->add_option("--last", *last, "how many calls the table shows (0: all)")
      ->capture_default_str();
  show->callback([&status, file, last] { status = TraceShow(ArgumentToGbk(*file), *last); });
}

}  // namespace vok::tool
