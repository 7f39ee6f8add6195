// trace on, off and show: the library's trace as a support engineer uses it
// at an accountant's desk.
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "output.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/trace_file.h"
#include "request/trace.h"
#include "trace_report.h"

namespace vok::tool {
namespace {

using trace::kRegistryName;

// The environment variable wins over the registry for every process that
// inherits it, and the user's switch over the machine's; say so where it
// hides what was just set.
void NoteEnvironment(bool machine) {
  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  if (setting && setting->source == trace::Setting::Source::kEnvironment) {
    Say(std::string("note: ") + trace::kVariable + "=" + setting->file +
        " is set here and takes precedence for the processes that inherit it");
  } else if (machine && setting && setting->source == trace::Setting::Source::kRegistry) {
    Say(std::string("note: ") + kRegistryName + "=" + setting->file +
        " takes precedence for this user's calls");
  }
}

// The switch for this user, or with --machine the machine-wide one.
struct Switch {
  bool machine;
  const char* name() const { return machine ? trace::kMachineRegistryName : kRegistryName; }
  bool Set(const std::string& file) const {
    return machine ? platform::WriteMachineValue(trace::kRegistryKey, trace::kRegistryValue, file)
                   : platform::WriteUserValue(trace::kRegistryKey, trace::kRegistryValue, file);
  }
  bool Remove() const {
    return machine ? platform::DeleteMachineValue(trace::kRegistryKey, trace::kRegistryValue)
                   : platform::DeleteUserValue(trace::kRegistryKey, trace::kRegistryValue);
  }
};

int TraceOn(std::string file, Switch which) {
  file = file.empty() ? DefaultTraceFile() : AbsolutePath(file);
  if (file.empty()) {
    Complain("no folder for the trace file: give one (vokqm7 trace on FILE)");
    return kExitCannotRun;
  }
  if (!platform::TraceFile::Open(file, trace::kCapBytes)) {
    Complain("cannot write the trace file " + file);
    return kExitCannotRun;
  }
  if (!which.Set(file)) {
    Complain(std::string("cannot set ") + which.name() +
             (which.machine ? " (the machine's switch takes an administrator)" : ""));
    return kExitCannotRun;
  }
  Say(std::string("tracing is on: every call of the library by ") +
      (which.machine ? "any user of this machine" : "this user") + " from now on writes to " +
      file);
  NoteEnvironment(which.machine);
  return kExitSuccess;
}

int TraceOff(Switch which) {
  if (!which.Remove()) {
    Complain(std::string("cannot remove ") + which.name());
    return kExitCannotRun;
  }
  Say(std::string("tracing is off (") + which.name() + " removed)");
  NoteEnvironment(which.machine);
  return kExitSuccess;
}

// The filter in the words of the options that made it.
std::string DescribeFilter(const CallFilter& filter) {
  std::string words;
  if (filter.failed) words += " --failed";
  if (!filter.account.empty()) words += " --account " + platform::Utf8ToGbk(filter.account);
  if (!filter.since.empty()) words += " --since " + filter.since;
  if (!filter.export_name.empty()) words += " --export " + filter.export_name;
  return words;
}

int TraceShow(std::string file, std::size_t last, const CallFilter& filter) {
  if (!filter.since.empty() && !IsSinceTime(filter.since)) {
    Complain("--since takes a local date and time as YYYY-MM-DD, YYYY-MM-DD HH:MM or "
             "YYYY-MM-DD HH:MM:SS, not " + filter.since);
    return kExitUsage;
  }
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
  const TraceReport all = ReadTrace(text);
  const TraceReport report = FilterCalls(all, filter);
  if (!all.calls.empty() && report.calls.empty()) {
    Say("none of the " + std::to_string(all.calls.size()) + " call(s) in " + file +
        " matches" + DescribeFilter(filter));
    return kExitSuccess;
  }
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
  if (filter.Any()) {
    Say(std::to_string(shown) + " of " + std::to_string(report.calls.size()) +
        " call(s) matching" + DescribeFilter(filter) + " (of " +
        std::to_string(all.calls.size()) + " in " + file + "):");
  } else {
    Say(std::to_string(shown) + " of " + std::to_string(report.calls.size()) + " call(s) in " +
        file + ":");
  }
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
  auto machine = std::make_shared<bool>(false);
  const std::string machine_help = std::string("the machine-wide switch (") +
                                   trace::kMachineRegistryName +
                                   ") for clients that run as another account";
  on->add_flag("--machine", *machine, machine_help);
  on->callback([&status, file, machine] {
    status = TraceOn(ArgumentToGbk(*file), Switch{*machine});
  });

  CLI::App* off = command->add_subcommand(
      "off", std::string("stop tracing (removes ") + kRegistryName + ")");
  off->add_flag("--machine", *machine, machine_help);
  off->callback([&status, machine] { status = TraceOff(Switch{*machine}); });

  CLI::App* show = command->add_subcommand(
      "show", "the last calls as a table, then the last one event by event");
  show->add_option("FILE", *file, "the trace file (default: the one tracing writes to)");
  show->add_option("--last", *last, "how many calls the table shows (0: all)")
      ->capture_default_str();
  auto filter = std::make_shared<CallFilter>();
  show->add_flag("--failed", filter->failed,
                 "only calls that failed, or whose end is not in the file");
  show->add_option("--account", filter->account, "only calls for this account code");
  show->add_option("--since", filter->since,
                   "only calls begun at or after this local time: YYYY-MM-DD[ HH:MM[:SS]]");
  show->add_option("--export", filter->export_name,
                   "only calls of this export (GetReportDate, GetReport, ...)");
  show->callback([&status, file, last, filter] {
    // The trace holds UTF-8; an argument comes in the host's encoding.
    CallFilter utf8 = *filter;
    utf8.account = platform::GbkToUtf8(ArgumentToGbk(filter->account));
    status = TraceShow(ArgumentToGbk(*file), *last, utf8);
  });
}

}  // namespace vok::tool
