// trace on, off and show: the library's trace as a support engineer uses it
// at an accountant's desk.
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/codepage.h"
#include "platform/files.h"
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
    Say(TrF("note: %s=%s is set here and takes precedence for the processes that inherit it",
            trace::kVariable, setting->file));
  } else if (machine && setting && setting->source == trace::Setting::Source::kRegistry) {
    Say(TrF("note: %s=%s takes precedence for this user's calls", kRegistryName, setting->file));
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

// The machine's switch reaches accounts that cannot write this user's
// folder, so it takes a file every account may write, and refuses any
// other rather than leave the other accounts untraced.
int TraceOn(std::string file, Switch which) {
  if (which.machine && file.empty()) {
    Complain(Tr("the machine-wide switch needs a FILE that every user of this machine can "
                "write: vokqm7 trace on --machine FILE"));
    return kExitUsage;
  }
  file = file.empty() ? DefaultTraceFile() : AbsolutePath(file);
  if (file.empty()) {
    Complain(Tr("no folder for the trace file: give one (vokqm7 trace on FILE)"));
    return kExitCannotRun;
  }
  const bool existed = platform::PathExists(file);
  platform::TraceRefusal refusal = platform::TraceRefusal::kCannotOpen;
  if (!platform::TraceFile::Open(file, trace::kCapBytes, &refusal)) {
    Complain(refusal == platform::TraceRefusal::kLink
                 ? TrF("cannot trace to %s: it is a link, which the library does not follow", file)
             : refusal == platform::TraceRefusal::kNotAFile
                 ? TrF("cannot trace to %s: it is no plain file (a folder, a pipe or a device)",
                       file)
                 : TrF("cannot write the trace file %s", file));
    return kExitCannotRun;
  }
  if (which.machine && !EveryAccountMayAppend(file)) {
    if (!existed) platform::DeleteFile(file);
    Complain(TrF("not every user of this machine can write %s and make a new one beside it: a "
                 "client running as another account would not be traced (Windows: let Users "
                 "modify its folder; Linux: let others write the file and its folder)",
                 file));
    return kExitCannotRun;
  }
  if (!which.Set(file)) {
    Complain(which.machine
                 ? TrF("cannot set %s (the machine's switch takes an administrator)", which.name())
                 : TrF("cannot set %s", which.name()));
    return kExitCannotRun;
  }
  Say(which.machine ? TrF("tracing is on: every call of the library by any user of this machine "
                          "from now on writes to %s",
                          file)
                    : TrF("tracing is on: every call of the library by this user from now on "
                          "writes to %s",
                          file));
  NoteEnvironment(which.machine);
  return kExitSuccess;
}

int TraceOff(Switch which) {
  if (!which.Remove()) {
    Complain(TrF("cannot remove %s", which.name()));
    return kExitCannotRun;
  }
  Say(TrF("tracing is off (%s removed)", which.name()));
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
    Complain(TrF("--since takes a local date and time as YYYY-MM-DD, YYYY-MM-DD HH:MM or "
                 "YYYY-MM-DD HH:MM:SS, not %s",
                 filter.since));
    return kExitUsage;
  }
  if (file.empty()) {
    const std::optional<trace::Setting> setting = trace::CurrentSetting();
    if (!setting) {
      Complain(Tr("tracing is off and no FILE was given: nothing to show"));
      return kExitUsage;
    }
    file = setting->file;
  }
  int status = kExitSuccess;
  std::optional<std::string> current =
      ReadFileOrComplain(file, N_("cannot read the trace file %s"), status);
  if (!current) return status;
  // The older generation first, so that calls stay in order.
  const std::string text =
      ReadFileBytes(file + ".1").value_or("") + WithLastLineWritten(std::move(*current), file);
  const TraceReport all = ReadTrace(text);
  const TraceReport report = FilterCalls(all, filter);
  if (!all.calls.empty() && report.calls.empty()) {
    Say(TrF("none of the %s call(s) in %s matches%s", std::to_string(all.calls.size()), file,
            DescribeFilter(filter)));
    return kExitSuccess;
  }
  if (report.calls.empty()) {
    if (report.unreadable_lines > 0) {
      Complain(TrF("%s is no trace of this library: none of its %s lines can be read", file,
                   std::to_string(report.unreadable_lines)));
      return kExitExportFailed;
    }
    Say(TrF("no calls in %s", file));
    return kExitSuccess;
  }
  const std::size_t shown = last == 0 || last > report.calls.size() ? report.calls.size() : last;
  if (filter.Any()) {
    Say(TrF("%s of %s call(s) matching%s (of %s in %s):", std::to_string(shown),
            std::to_string(report.calls.size()), DescribeFilter(filter),
            std::to_string(all.calls.size()), file));
  } else {
    Say(TrF("%s of %s call(s) in %s:", std::to_string(shown), std::to_string(report.calls.size()),
            file));
  }
  WriteText(stdout, FormatCallTable(report, last));
  Say(Tr("\nThe last call, event by event:"));
  WriteText(stdout, FormatCallDetail(report.calls.back()));
  if (report.unreadable_lines > 0) {
    Complain(TrF("%s line(s) could not be read (not written by this library, or cut short)",
                 std::to_string(report.unreadable_lines)));
  }
  return kExitSuccess;
}

}  // namespace

void AddTraceCommand(CLI::App& app, int& status) {
  CLI::App* command = app.add_subcommand(
      "trace",
      Tr("switch the library's trace on or off for this user, and show what it recorded"));
  command->require_subcommand(1);
  auto file = std::make_shared<std::string>();
  auto last = std::make_shared<std::size_t>(10);

  CLI::App* on = command->add_subcommand(
      "on", TrF("trace every call of the library by this user (%s)", kRegistryName));
  on->add_option("FILE", *file,
                 Tr("the trace file (default: trace.log in the user's local application data "
                    "folder; with --machine there is none)"));
  auto machine = std::make_shared<bool>(false);
  const std::string machine_help =
      TrF("the machine-wide switch (%s) for clients that run as another account",
          trace::kMachineRegistryName);
  on->add_flag("--machine", *machine,
               TrF("the machine-wide switch (%s) for clients that run as another account; it "
                   "takes a FILE that every user of this machine can write",
                   trace::kMachineRegistryName));
  on->callback([&status, file, machine] {
    status = TraceOn(ArgumentToGbk(*file), Switch{*machine});
  });

  CLI::App* off = command->add_subcommand(
      "off", TrF("stop tracing (removes %s)", kRegistryName));
  off->add_flag("--machine", *machine, machine_help);
  off->callback([&status, machine] { status = TraceOff(Switch{*machine}); });

  CLI::App* show = command->add_subcommand(
      "show", Tr("the last calls as a table, then the last one event by event"));
  show->add_option("FILE", *file, Tr("the trace file (default: the one tracing writes to)"));
  show->add_option("--last", *last, Tr("how many calls the table shows (0: all)"))
      ->capture_default_str();
  auto filter = std::make_shared<CallFilter>();
  show->add_flag("--failed", filter->failed,
                 Tr("only calls that failed, or whose end is not in the file"));
  show->add_option("--account", filter->account, Tr("only calls for this account code"));
  show->add_option("--since", filter->since,
                   Tr("only calls begun at or after this local time: YYYY-MM-DD[ HH:MM[:SS]]"));
  show->add_option("--export", filter->export_name,
                   Tr("only calls of this export (GetReportDate, GetReport, ...)"));
  show->callback([&status, file, last, filter] {
    // The trace holds UTF-8; an argument comes in the host's encoding.
    CallFilter utf8 = *filter;
    utf8.account = platform::GbkToUtf8(ArgumentToGbk(filter->account));
    status = TraceShow(ArgumentToGbk(*file), *last, utf8);
  });
}

}  // namespace vok::tool
