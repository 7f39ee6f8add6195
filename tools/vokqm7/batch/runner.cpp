#include "batch/runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "batch/document_check.h"
#include "batch/inputs.h"
#include "batch/progress.h"
#include "driver/install_location.h"
#include "elapsed.h"
#include "language/language.h"
#include "login.h"
#include "output.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "show/html_view.h"

namespace vok::tool {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// How far the batch is, for the progress line.
struct Tally {
  Clock::time_point start = Clock::now();
  std::size_t total = 0;  // the rows to make
  std::size_t done = 0;
  std::size_t made = 0;  // through the library in this run
  double seconds_made = 0;
};

// The progress line while the row's call runs: redrawn on a terminal; else
// one plain line if it has to wait for the installation.
ElapsedTime::Lines ProgressLines(const AccountRow& row, const Tally& tally,
                                 const StopRequests& stop) {
  ProgressPoint point;
  point.done = tally.done;
  point.total = tally.total;
  point.account = row.account;
  point.year = row.year;
  point.period = row.period;
  const long long before = static_cast<long long>(SecondsSince(tally.start));
  const double seconds_made = tally.seconds_made;
  const std::size_t made = tally.made;
  const std::size_t to_make = tally.total - tally.done;
  return ElapsedTime::Lines{
      [point, before, seconds_made, made, to_make, &stop](long long seconds,
                                                          const std::string& holder) mutable {
        point.elapsed = before + seconds;
        point.left = SecondsLeft(seconds_made, made, to_make, seconds);
        point.holder = holder;
        point.stopping = stop.Asked();
        return ProgressLine(point);
      },
      [account = row.account, year = row.year, period = row.period](const std::string& holder) {
        return TrF("%s %s-%s: waiting for the installation, in use by %s", account, year, period,
                   holder);
      }};
}

// The document's page with --html, beside it.
void WritePage(const DocumentCheck& check, const std::string& stem,
               const BatchSettings& settings, RowOutcome& outcome) {
  if (!settings.html || !check.document) return;
  const std::string page = stem + ".html";
  if (WriteDocument(InFolder(settings.folder, page),
                    RenderHtml(*check.document, check.checks, stem + ".xml"), true)) {
    outcome.page = page;
  }
}

// The checks' outcome: the first failed one named, every failed one with
// its figures for the page.
void TakeChecks(const DocumentCheck& check, RowOutcome& outcome) {
  outcome.checks = !check.failure.empty()       ? ChecksOutcome::kFailed
                   : !check.not_checked.empty() ? ChecksOutcome::kNotChecked
                                                : ChecksOutcome::kPassed;
  outcome.failed_check = check.failure.empty() ? check.not_checked : check.failure;
  outcome.formats = check.formats;
  outcome.failed_checks.clear();
  if (!check.document && !check.failure.empty()) outcome.failed_checks.push_back(check.failure);
  for (const CheckResult& result : check.checks) {
    if (result.outcome != CheckResult::Outcome::kFailed) continue;
    std::string text = result.title;
    for (const std::string& detail : result.details) text += "; " + detail;
    outcome.failed_checks.push_back(text);
  }
}

// A document made and passed in an earlier run, which is kept when it
// still passes its checks.
bool Keep(const std::string& path, const std::string& stem, const BatchSettings& settings,
          RowOutcome& outcome) {
  if (!settings.resume || !platform::PathExists(path) || !MadeBefore(settings.earlier, outcome)) {
    return false;
  }
  const DocumentCheck check = CheckDocumentFile(path, settings.layouts);
  if (!check.failure.empty() || !check.not_checked.empty()) return false;
  TakeChecks(check, outcome);
  outcome.message.clear();
  WritePage(check, stem, settings, outcome);
  outcome.result = RowResult::kKept;
  return true;
}

// Moves the document an earlier run left under this row's name, and its
// page, to DIR/earlier/, named with the time it was written; says in the
// outcome where it went or why it could not go. False when it is still in
// place.
bool SetAside(const std::string& stem, const BatchSettings& settings, RowOutcome& outcome) {
  const std::string path = InFolder(settings.folder, stem + ".xml");
  if (!platform::PathExists(path)) return true;
  const std::string folder = InFolder(settings.folder, "earlier");
  const std::string written = WrittenTimeText(path);
  std::string name = stem + "." + (written.empty() ? "earlier" : written);
  for (int n = 2; platform::PathExists(InFolder(folder, name + ".xml")); ++n) {
    name = stem + "." + (written.empty() ? "earlier" : written) + "-" + std::to_string(n);
  }
  std::string reason;
  outcome.superseded_moved = false;
  if (!MakeFolders(folder)) {
    outcome.superseded = TrF("cannot create the folder %s", folder);
    return false;
  }
  if (!MoveFileReplacing(path, InFolder(folder, name + ".xml"), reason)) {
    outcome.superseded = TrF("cannot move %s: %s", path, reason);
    return false;
  }
  const std::string page = InFolder(settings.folder, stem + ".html");
  if (platform::PathExists(page)) {
    (void)MoveFileReplacing(page, InFolder(folder, name + ".html"), reason);
  }
  outcome.superseded = "earlier/" + name + ".xml";
  outcome.superseded_moved = true;
  return true;
}

int CallExport(const LibraryFunctions& library, const AccountRow& row,
               const BatchSettings& settings, const std::string& path, char* message) {
  LoginFields fields;
  fields.account = row.account;
  fields.year = row.year;
  fields.period = row.period;
  fields.server = row.server;
  if (!settings.type.empty()) {
    fields.report_type = settings.type == "zcfzb" ? "ZCFZB" : "SYB";
    fields.file_rep = row.template_file;
    return library.get_report_v2(BuildLoginXml(fields).c_str(), path.c_str(), message);
  }
  const std::string login = BuildLoginXml(fields);
  return settings.financial ? library.get_report_date_v2(login.c_str(), path.c_str(), message)
                            : library.get_report_date(login.c_str(), path.c_str(), message);
}

void Make(const LibraryFunctions& library, const AccountRow& row, const std::string& path,
          const std::string& stem, const BatchSettings& settings, RowOutcome& outcome,
          const ElapsedTime::Lines& lines) {
  outcome.checks = ChecksOutcome::kNone;
  outcome.failed_check.clear();
  outcome.failed_checks.clear();
  outcome.message.clear();
  outcome.page.clear();
  outcome.superseded.clear();
  outcome.other_inputs = MadeFromOtherInputs(settings.earlier, outcome);
  if (outcome.other_inputs && !SetAside(stem, settings, outcome)) {
    outcome.result = RowResult::kFailed;
    outcome.message = Tr("not made: the earlier document, made from other inputs, must go to "
                         "earlier/ first");
    return;
  }
  // The export writes beside the document, under a name of its own, so
  // that the earlier document stays whole until this one has passed.
  const std::string made = InFolder(settings.folder, stem + ".xml.part");
  platform::DeleteFile(made);  // left by a run that was killed during its call
  char message[256] = "";      // the library writes at most 52 bytes
  int result = 0;
  {
    ElapsedTime progress(lines, FindInstallLocation());
    result = CallExport(library, row, settings, made, message);
  }
  if (result != 0) {
    platform::DeleteFile(made);
    outcome.result = RowResult::kFailed;
    outcome.message = message;
    SetAside(stem, settings, outcome);
    return;
  }
  outcome.result = RowResult::kMade;
  const DocumentCheck check = CheckDocumentFile(made, settings.layouts);
  TakeChecks(check, outcome);
  // A document that did not pass its checks (failed, or not checked)
  // replaces nothing: the earlier one goes to earlier/ first, and where it
  // cannot, the new one keeps its temporary name.
  const bool passed = check.failure.empty() && check.not_checked.empty();
  if (!passed && !SetAside(stem, settings, outcome)) {
    outcome.message = TrF("the document is %s, as %s.xml is still the earlier one", made, stem);
    return;
  }
  std::string reason;
  if (!MoveFileReplacing(made, path, reason)) {
    outcome.result = RowResult::kFailed;
    outcome.checks = ChecksOutcome::kNone;
    outcome.message =
        TrF("the document %s cannot take the name %s.xml: %s", made, stem, reason);
    if (outcome.superseded.empty()) SetAside(stem, settings, outcome);
    return;
  }
  platform::DeleteFile(InFolder(settings.folder, stem + ".html"));  // the earlier one's page
  WritePage(check, stem, settings, outcome);
}

}  // namespace

std::string InFolder(const std::string& folder, const std::string& name) {
  return platform::JoinPath(folder, name);
}

const char* ExportName(const BatchSettings& settings) {
  if (!settings.type.empty()) return "GetReportV2";
  return settings.financial ? "GetReportDateV2" : "GetReportDate";
}

std::string RowStem(const AccountRow& row, const BatchSettings& settings) {
  return settings.type.empty() ? row.stem : row.stem + "-" + settings.type;
}

std::vector<RowOutcome> PlannedOutcomes(const std::vector<AccountRow>& rows,
                                        const BatchSettings& settings) {
  std::vector<RowOutcome> outcomes;
  for (const AccountRow& row : rows) {
    RowOutcome outcome;
    outcome.line = row.line;
    outcome.account = row.account;
    outcome.year = row.year;
    outcome.period = row.period;
    outcome.export_name = ExportName(settings);
    if (!row.problem.empty()) {
      outcome.result = RowResult::kBadRow;
      outcome.message = row.problem;
    } else {
      outcome.document = RowStem(row, settings) + ".xml";
      outcome.inputs = RowInputsOf(settings.shared_inputs, row.server,
                                   settings.type.empty() ? "" : row.template_file);
      const EarlierDocument* earlier = FindEarlier(settings.earlier, outcome.document);
      if (earlier != nullptr) outcome.earlier = earlier->record;
    }
    outcomes.push_back(outcome);
  }
  // The summary is the folder's record: what this run does not touch stays.
  const std::size_t in_run = outcomes.size();
  for (const EarlierDocument& earlier : settings.earlier) {
    const auto named = std::find_if(outcomes.begin(), outcomes.begin() + in_run,
                                    [&](const RowOutcome& row) {
                                      return FoldCaseAsWindows(row.document) ==
                                             FoldCaseAsWindows(earlier.document);
                                    });
    if (named != outcomes.begin() + in_run) continue;
    RowOutcome outcome;
    outcome.account = earlier.account;
    outcome.year = earlier.year;
    outcome.period = earlier.period;
    outcome.export_name = earlier.record.export_name;
    outcome.result = RowResult::kNotInRun;
    outcome.document = earlier.document;
    outcome.earlier = earlier.record;
    outcomes.push_back(outcome);
  }
  return outcomes;
}

bool RunRows(const LibraryFunctions& library, const std::vector<AccountRow>& rows,
             const BatchSettings& settings, const StopRequests& stop,
             std::vector<RowOutcome>& outcomes,
             const std::function<void(const std::vector<RowOutcome>&)>& record) {
  Tally tally;
  for (const RowOutcome& outcome : outcomes) {
    if (outcome.result == RowResult::kToDo) ++tally.total;
  }
  const bool terminal = IsTerminal(stderr);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    RowOutcome& outcome = outcomes[r];
    if (outcome.result != RowResult::kToDo) continue;
    if (stop.Asked()) return true;
    const AccountRow& row = rows[r];
    const std::string stem = RowStem(row, settings);
    const std::string path = InFolder(settings.folder, stem + ".xml");
    const Clock::time_point start = Clock::now();
    if (!Keep(path, stem, settings, outcome)) {
      Make(library, row, path, stem, settings, outcome, ProgressLines(row, tally, stop));
      outcome.seconds = SecondsSince(start);
      ++tally.made;
      tally.seconds_made += outcome.seconds;
    }
    ++tally.done;
    if (!terminal) Complain(FinishedLine(tally.done, tally.total, outcome));
    record(outcomes);
  }
  return false;
}

}  // namespace vok::tool
