// doctor: walks the road the library takes through an installation and says
// in plain words where it ends.
#include <string>
#include <vector>

#include "commands.h"
#include "doctor.h"
#include "doctor_list.h"
#include "driver/install_lock.h"
#include "driver/install_location.h"
#include "driver/paths.h"
#include "exit_codes.h"
#include "installation_use.h"
#include "language/language.h"
#include "output.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/trace_file.h"
#include "request/trace.h"

namespace vok::tool {
namespace {

constexpr std::uint32_t kFolderAttribute = 0x10;

// `what` is an untranslated name (N_) of the file.
void CheckFile(Checklist& list, const std::string& location, const char* piece, const char* what) {
  const std::string path = location + piece;
  const std::string name = Tr(what);
  const std::optional<std::uint32_t> attributes = platform::GetFileAttributes(path);
  if (!attributes) {
    list.Problem(TrF("%s is missing: %s", name, path));
  } else if ((*attributes & kFolderAttribute) != 0) {
    list.Problem(TrF("%s is a folder, not a file: %s", name, path));
  } else {
    list.Ok(TrF("%s: %s", name, path));
  }
}

void CheckWriteAccess(Checklist& list, const std::string& location) {
  // The library writes work files and cell exports here on every call.
  const std::string probe = location + "\\vokqm7-doctor.tmp";
  if (platform::WriteWholeFile(probe, "doctor")) {
    platform::DeleteFile(probe);
    list.Ok(Tr("the installation folder is writable"));
  } else {
    list.Problem(TrF("cannot write in the installation folder %s (the library puts its work "
                     "files there)",
                     location));
  }
}

bool IsReadOnly(const std::string& path) {
  const std::optional<std::uint32_t> attributes = platform::GetFileAttributes(path);
  return attributes && (*attributes & platform::kFileAttributeReadOnly) != 0;
}

// Reports one leftover and returns whether the library can get rid of it.
// A leftover the library can delete is harmless; a read-only one, or one
// that another program holds open without letting it be deleted, it can
// neither delete nor replace, so every call that stages or keeps that file
// fails until somebody removes it or closes the program. `what` is an
// untranslated name (N_) of the kind of file.
bool NoteLeftover(Checklist& list, const std::string& location, const char* piece,
                  const char* what) {
  const std::string path = location + piece;
  const std::string kind = Tr(what);
  if (IsReadOnly(path)) {
    list.Problem(TrF("%s left read-only by an earlier call: %s (the library can neither delete "
                     "nor replace it; calls fail until it is removed or made writable)",
                     kind, path));
    return true;
  }
  if (platform::ProbeFileUse(path) == platform::FileUse::kOpenElsewhere) {
    list.Problem(TrF("%s left by an earlier call is open in another program that keeps it from "
                     "being deleted or replaced: %s (a viewer, an editor or a virus scanner; "
                     "calls fail while it stays open)",
                     kind, path));
    return true;
  }
  list.Note(TrF("%s left by an earlier call: %s", kind, piece + 1));
  return false;
}

// Another call working in the installation now is no fault of it, but it
// explains a call that waits, and work files that come and go. A report
// tool whose caller is gone is one: it may still write its export, and the
// next call has to end it first, or wait for it when it is another user's.
void CheckInUse(Checklist& list, const std::string& location) {
  const InstallationUse use = InspectInstallation(location);
  const std::string minutes = std::to_string(kInstallWaitLimitMs / 60000);
  if (!use.host_refusal.empty()) {
    list.Problem(TrF("this program may take no installation lock (%s): every call of a program "
                     "started like it is refused at once with the message that the installation "
                     "is in use",
                     use.host_refusal));
  }
  if (use.lock_refused != 0) {
    list.Problem(TrF("the installation lock %s is refused to this user (system error %s): every "
                     "call says at once that the installation is in use",
                     use.lock, std::to_string(use.lock_refused)));
  } else if (!use.lock_made) {
    list.Problem(TrF("the installation lock %s cannot be made or opened: every call waits for "
                     "it and then says the installation is in use",
                     use.lock));
  }
  if (!use.record_problem.empty()) {
    list.Problem(TrF("this user's calls cannot keep their record of the installation (%s): "
                     "every call is refused at once with the message that the installation is "
                     "in use",
                     use.record_problem));
  }
  switch (use.state) {
    case InstallationUse::State::kFree:
      list.Ok(Tr("no report call is using the installation now"));
      break;
    case InstallationUse::State::kInUse:
      list.Note(TrF("the installation is in use now by %s; other calls wait for it (at most %s "
                    "minutes)",
                    DescribeHolder(use), minutes));
      break;
    case InstallationUse::State::kInUseUnseen:
      list.Note(TrF("the installation is held by a call of another user, or of another computer "
                    "that maps its folder; other calls wait for it (at most %s minutes)",
                    minutes));
      break;
    case InstallationUse::State::kUnknown:
      list.Note(use.lock.empty()
                    ? Tr("cannot tell whether another report call is using the installation: "
                         "there is no lock to ask")
                    : TrF("cannot tell whether another report call is using the installation: "
                          "there is no lock to ask (%s)",
                          use.lock));
      break;
  }
  for (const InstallationUse::RunningTool& tool : use.tools) {
    const std::string id = std::to_string(tool.process.identity.id);
    const std::string session = std::to_string(tool.process.session);
    const std::string age = std::to_string(tool.age_ms / 1000);
    // While a call holds the installation, a tool that runs is most likely
    // that call's own, started a moment before its record names it.
    if (use.state == InstallationUse::State::kInUse ||
        use.state == InstallationUse::State::kInUseUnseen) {
      list.Note(TrF("a report tool runs in the installation while a call holds it: process %s, "
                    "session %s, running for %s s",
                    id, session, age));
    } else if (tool.user && *tool.user == platform::CurrentUser()) {
      list.Problem(TrF("a report tool of this user runs in the installation that no call of "
                       "this user recorded: process %s, session %s, running for %s s; calls "
                       "wait until it ends",
                       id, session, age));
    } else {
      list.Problem(TrF("a report tool of %s runs in the installation: process %s, session %s, "
                       "running for %s s; calls wait until it ends, and only that user or an "
                       "administrator can end it",
                       tool.user ? TrF("user %s", *tool.user) : Tr("another user"), id, session,
                       age));
    }
  }
  if (!use.gone_holder) return;
  InstallationUse gone;
  gone.holder = use.gone_holder;
  const std::string caller = DescribeHolder(gone);
  const platform::InstallLockHolder& h = *use.gone_holder;
  const std::string age = std::to_string(platform::StartedMsAgo(h.tool) / 1000);
  switch (use.orphan.what) {
    case platform::RecordedTool::kMine:
      list.Problem(TrF("a report tool is still running in the installation, but its caller is "
                       "gone: process %s (%s), running for %s s, started by %s; the next call "
                       "ends it before it touches a file",
                       std::to_string(h.tool.id), h.tool_program, age, caller));
      break;
    case platform::RecordedTool::kUnsure:
      list.Problem(TrF("a report tool that a call of this user left running cannot be looked "
                       "at: process %s (%s), started by %s; calls wait until it ends",
                       std::to_string(h.tool.id), h.tool_program, caller));
      break;
    case platform::RecordedTool::kStale:
      list.Note(TrF("this user's record names a report tool that is gone: the next call drops "
                    "the record; it was left by %s",
                    caller));
      break;
    default:
      list.Note(TrF("the last call ended without finishing (its process is gone): %s", caller));
      break;
  }
}

void CheckLeftovers(Checklist& list, const std::string& location) {
  const char* work_files[] = {paths::kSingleWorkFile, paths::kFirstWorkFile,
                              paths::kSecondWorkFile};
  const char* exports[] = {paths::kCellExport, paths::kFirstCellExport,
                           paths::kSecondCellExport};
  bool any_work_file = false;
  bool any_stuck = false;
  for (const char* piece : work_files) {
    if (!platform::PathExists(location + piece)) continue;
    any_work_file = true;
    any_stuck |= NoteLeftover(list, location, piece, N_("work file"));
  }
  for (const char* piece : exports) {
    if (!platform::PathExists(location + piece)) continue;
    any_stuck |= NoteLeftover(list, location, piece, N_("cell export"));
  }
  if (any_work_file && !platform::PathExists(location + paths::kCellExport)) {
    list.Note(Tr("a work file without its cell export: the last call was probably interrupted "
                 "or the report tool wrote nothing"));
  }
  if (any_work_file && !any_stuck) list.Note(Tr("the next call deletes or replaces these files"));
}

std::string ViewName(platform::RegistryView view) {
  return view == platform::RegistryView::k32Bit ? Tr("32-bit") : Tr("64-bit");
}

// Which registry view held the value, or which ones were looked in; nothing
// where the store has no views.
std::string WhereLooked(const platform::RegistryViews& views, bool found) {
  if (views.empty() || views.front() == platform::RegistryView::kSingle) return "";
  const bool both = views.size() > 1;
  if (found) {
    return both ? TrF(" (in the %s registry view; the %s view has no such value)",
                      ViewName(views.back()), ViewName(views.front()))
                : TrF(" (in the %s registry view)", ViewName(views.back()));
  }
  return both ? TrF(" (looked in the %s and the %s registry view)", ViewName(views.front()),
                    ViewName(views.back()))
              : TrF(" (looked in the %s registry view)", ViewName(views.front()));
}

// The switch that set the trace in effect, in a support engineer's words.
std::string TraceSwitchName(trace::Setting::Source source) {
  switch (source) {
    case trace::Setting::Source::kEnvironment:
      return TrF("the environment variable %s", trace::kVariable);
    case trace::Setting::Source::kRegistry:
      return trace::kRegistryName;
    case trace::Setting::Source::kMachineRegistry:
      return TrF("%s, the machine-wide switch", trace::kMachineRegistryName);
  }
  return {};
}

// Whether calls of this user are traced now, and where to.
void CheckTracing(Checklist& list) {
  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  if (!setting) {
    list.Ok(Tr("tracing is off (vokqm7 trace on switches it on)"));
    return;
  }
  const std::string from = TraceSwitchName(setting->source);
  platform::TraceRefusal refusal = platform::TraceRefusal::kCannotOpen;
  if (platform::TraceFile::Open(setting->file, trace::kCapBytes, &refusal)) {
    list.Note(TrF("tracing is on: calls write to %s (set by %s; vokqm7 trace show reads it)",
                  setting->file, from));
  } else if (refusal == platform::TraceRefusal::kLink) {
    list.Note(TrF("tracing is on, set by %s, but %s is a link, which the library does not "
                  "follow: calls are not traced",
                  from, setting->file));
  } else if (refusal == platform::TraceRefusal::kNotAFile) {
    list.Note(TrF("tracing is on, set by %s, but %s is no plain file (a folder, a pipe or a "
                  "device): calls are not traced",
                  from, setting->file));
  } else {
    list.Note(TrF("tracing is on, set by %s, but %s cannot be written: calls are not traced",
                  from, setting->file));
  }
}

// The library's bitness against the registry view the package's value was
// read from (the library is the tool's bitness: a process loads only its
// own). Nothing where the store has no views.
void CheckBitness(Checklist& list, const platform::RegistryViews& views) {
  if (views.empty() || views.front() == platform::RegistryView::kSingle) return;
  const bool library64 = sizeof(void*) == 8;
  const platform::RegistryView from = views.back();
  if (from == platform::RegistryView::k32Bit) {
    list.Ok(library64 ? Tr("64-bit library, the package's value in the 32-bit registry view, "
                           "where the 32-bit package writes it: a 64-bit filing client with the "
                           "32-bit package is fine")
                      : Tr("32-bit library, the package's value in the 32-bit registry view, "
                           "where the 32-bit package writes it"));
  } else {
    list.Note(Tr("the package's value is only in the 64-bit registry view: the 64-bit library "
                 "finds it, the shipped 32-bit one would not (a 64-bit package, or a value "
                 "written there by hand)"));
  }
}

// The machine-wide switch where the user's own one hides it, or where a
// client running as another account would find no switch at all.
void CheckMachineTracing(Checklist& list) {
  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  const std::optional<std::string> machine =
      platform::ReadMachineValue(trace::kRegistryKey, trace::kRegistryValue, 32768);
  const bool machine_on = machine && !machine->empty();
  if (setting && setting->source != trace::Setting::Source::kMachineRegistry && machine_on) {
    list.Note(TrF("the machine-wide switch %s = %s is set too; for this user %s takes precedence",
                  trace::kMachineRegistryName, *machine, TraceSwitchName(setting->source)));
  } else if (setting && setting->source == trace::Setting::Source::kRegistry) {
    list.Note(Tr("a filing client that runs as another account (a service, a scheduled task) "
                 "reads no switch of this user and is not traced: vokqm7 trace on --machine "
                 "traces every account"));
  }
}

}  // namespace

int RunDoctor() {
  Checklist list;
  const std::string value_name = std::string("HKEY_LOCAL_MACHINE\\") + kInstallRegistrySubkey +
                                 kInstallRegistryValue;
  Say(Tr("Checking the report tool installation the library would use:"));
  platform::RegistryViews views;
  const std::optional<std::string> value = platform::ReadMachineValue(
      kInstallRegistrySubkey, kInstallRegistryValue, kInstallRegistryBufferBytes, &views);
  const std::string where = WhereLooked(views, value.has_value());
  if (!value) {
    list.Problem(TrF("the registry value %s is missing or cannot be read (it must exist and be "
                     "shorter than %s bytes); the accounting package seems not to be "
                     "installed%s",
                     value_name, std::to_string(kInstallRegistryBufferBytes), where));
  } else if (value->empty()) {
    list.Problem(TrF("the registry value %s is empty%s", value_name, where));
  } else {
    list.Ok(TrF("registry value %s = %s%s", value_name, *value, where));
    CheckBitness(list, views);
  }
  const std::string location = value && !value->empty() ? *value + "\\vok" : "";
  const std::optional<std::uint32_t> attributes =
      location.empty() ? std::nullopt : platform::GetFileAttributes(location);
  if (!location.empty() && !attributes) {
    list.Problem(TrF("the installation folder %s does not exist", location));
  } else if (attributes && (*attributes & kFolderAttribute) == 0) {
    list.Problem(TrF("the installation folder %s is a file, not a folder", location));
  } else if (attributes) {
    list.Ok(TrF("installation folder: %s", location));
    CheckFile(list, location, paths::kBatchTool, N_("batch report tool"));
    CheckFile(list, location, paths::kInteractiveTool, N_("interactive report tool"));
    CheckFile(list, location, paths::kNationalIncomeTemplate,
              N_("national-tax income statement template"));
    CheckFile(list, location, paths::kNationalBalanceTemplate,
              N_("national-tax balance sheet template"));
    CheckFile(list, location, paths::kFinancialIncomeTemplate,
              N_("financial income statement template"));
    CheckFile(list, location, paths::kFinancialBalanceTemplate,
              N_("financial balance sheet template"));
    CheckWriteAccess(list, location);
    CheckInUse(list, location);
    CheckLeftovers(list, location);
  }
  if (location.empty() || !attributes || (*attributes & kFolderAttribute) == 0) {
    Say(Tr("  skipped  the tools, templates and work files: there is no installation folder"));
  }
  CheckDesk(list, attributes ? location : std::string());
  CheckCodePage(list);
  CheckTracing(list);
  CheckMachineTracing(list);
  if (list.problems() == 0) {
    Say(Tr("Everything the library needs is in place."));
    return kExitSuccess;
  }
  Say(TrF("%s problem(s) found.", std::to_string(list.problems())));
  return kExitCheckFailed;
}

void AddDoctorCommand(CLI::App& app, int& status) {
  CLI::App* command = app.add_subcommand(
      "doctor", Tr("check the installation step by step: registry value, installation folder, "
                   "both tools, the four templates, write access, whether another call is using "
                   "the installation now, files left by earlier calls"));
  command->callback([&status] { status = RunDoctor(); });
}

}  // namespace vok::tool
