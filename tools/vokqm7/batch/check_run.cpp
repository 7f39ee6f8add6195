#include "batch/check_run.h"

#include "batch/folder_lock.h"
#include "batch/folder_review.h"
#include "batch/folder_state.h"
#include "doctor.h"
#include "exit_codes.h"
#include "language/language.h"
#include "output.h"
#include "platform/files.h"

namespace vok::tool {
namespace {

// What the run would tell of the folder before its first row; the worst
// status of it.
int SayFolder(const AccountsFile& file, BatchSettings& settings,
              std::vector<RowOutcome>& planned) {
  const FolderRecord record = ReadFolderRecord(settings.folder, false);
  for (const std::string& line : record.told) Say("  " + line);
  if (record.status != 0) return record.status;
  settings.earlier = record.summary.rows;
  planned = PlannedOutcomes(file.rows, settings);
  std::vector<std::string> told;
  Supersede(file.rows, settings, planned, [](const std::vector<RowOutcome>&) { return true; },
            false, told);
  for (const std::string& line : told) Say("  " + line);
  std::string names;
  for (const std::string& name : RemoveLeftTemporaries(settings.folder, false)) {
    names += (names.empty() ? "" : ", ") + name;
  }
  if (!names.empty()) Say(TrF("  would remove what a killed run left: %s", names));
  return 0;
}

}  // namespace

int CheckBatch(const AccountsFile& file, BatchSettings settings,
               const std::vector<std::string>& written) {
  const int doctor = RunDoctor();
  Say(TrF("A batch would make, with %s, into %s:", ExportName(settings), settings.folder));
  std::vector<RowOutcome> planned;
  const int record = SayFolder(file, settings, planned);
  if (record != 0) return doctor != kExitSuccess ? kExitCheckFailed : record;
  std::size_t to_make = 0, to_keep = 0, bad = 0;
  std::vector<std::string> files = written;
  for (std::size_t r = 0; r < file.rows.size(); ++r) {
    const RowOutcome& row = planned[r];
    const std::string line = std::to_string(row.line);
    if (row.result == RowResult::kBadRow) {
      Say(TrF("  line %s: bad row, skipped: %s", line, row.message));
      ++bad;
      continue;
    }
    const bool exists = platform::PathExists(InFolder(settings.folder, row.document));
    const bool keep = settings.resume && MadeBefore(settings.earlier, row) && exists;
    std::string what = TrF("  line %s: %s %s-%s (server %s)", line, row.account, row.year,
                           row.period, file.rows[r].server) +
                       (settings.type.empty() ? ""
                                              : TrF(", template %s", file.rows[r].template_file)) +
                       " -> " + row.document;
    if (keep) {
      what += Tr(": kept when it is the one recorded and still passes its checks (made and "
                 "passed in the earlier run)");
      ++to_keep;
    } else {
      what += Tr(": made");
      if (exists && MadeFromOtherInputs(settings.earlier, row)) {
        what += Tr(" (the earlier one, made from other inputs, goes to earlier/)");
      } else if (exists) {
        what += Tr(" (the earlier one is replaced once the new one passed its checks, else set "
                   "aside in earlier/)");
      }
      ++to_make;
      files.push_back(row.document);
      if (settings.html) files.push_back(row.document.substr(0, row.document.size() - 4) + ".html");
    }
    Say(what);
  }
  Say(TrF("%s rows: %s to make, %s to keep if they still pass, %s bad; no report tool was run",
          std::to_string(file.rows.size()), std::to_string(to_make), std::to_string(to_keep),
          std::to_string(bad)));
  if (planned.size() > file.rows.size()) {
    Say(TrF("%s more rows of the summary in %s are not in this run and stay as they are",
            std::to_string(planned.size() - file.rows.size()), settings.folder));
  }
  std::vector<std::string> faults;
  if (const std::string folder = FolderWriteFault(settings.folder); !folder.empty()) {
    faults.push_back(folder);
  } else {
    faults = FileWriteFaults(settings.folder, files);
    const std::optional<std::uint32_t> earlier =
        platform::GetFileAttributes(InFolder(settings.folder, "earlier"));
    if (earlier && (*earlier & kFolderAttribute) == 0) {
      faults.push_back(TrF("%s is no folder: no document can be set aside there",
                           InFolder(settings.folder, "earlier")));
    }
    const std::string space = SpaceFault(settings.folder, (to_make + 1) * kBytesPerDocument);
    if (!space.empty()) faults.push_back(space);
  }
  std::string lock;
  const LockTry tried = FolderLock::Probe(settings.folder, lock);
  if (tried == LockTry::kFailed) faults.push_back(lock);
  for (const std::string& fault : faults) Say(fault);
  if (faults.empty()) Say(TrF("%s can be written, and has room for the run", settings.folder));
  if (tried == LockTry::kHeld) Say(lock);
  if (doctor != kExitSuccess) return kExitCheckFailed;
  if (!faults.empty()) return kExitCannotRun;
  if (tried == LockTry::kHeld) return kExitFolderBusy;
  return bad > 0 ? kExitExportFailed : kExitSuccess;
}

}  // namespace vok::tool
