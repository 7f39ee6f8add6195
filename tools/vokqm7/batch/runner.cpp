#include "batch/runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "batch/document_check.h"
#include "batch/document_facts.h"
#include "batch/folder_state.h"
#include "batch/inputs.h"
#include "batch/progress.h"
#include "batch/set_aside.h"
#include "bundle/sha256.h"
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

// A document made and passed in an earlier run from the same inputs, which
// is kept when it is the one recorded (its digest), states the row's period
// and statements, and still passes its checks.
bool KeptFromAnEarlierRun(const std::string& path, const std::string& stem,
                          const BatchSettings& settings, RowOutcome& outcome) {
  if (!settings.resume || !MadeBefore(settings.earlier, outcome)) return false;
  const std::optional<std::string> bytes = platform::ReadWholeFile(path);
  if (!bytes ||
      Sha256Hex(*bytes) != FindEarlier(settings.earlier, outcome.document)->record.facts.sha256) {
    return false;
  }
  const DocumentCheck check = CheckDocumentBytes(*bytes, settings.layouts);
  const DocumentFacts facts = FactsOf(*bytes, check.document);
  if (!check.failure.empty() || !check.not_checked.empty() ||
      !ContentFault(facts, outcome.year, outcome.period,
                    StatementsOf(outcome.export_name, settings.type))
           .empty()) {
    return false;
  }
  TakeChecks(check, outcome);
  outcome.message.clear();
  outcome.facts = facts;
  WritePage(check, stem, settings, outcome);
  outcome.result = RowResult::kKept;
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

// One row's document put in place, step by step, so that a kill at any
// point leaves the earlier document with its row, or the new one with its.
class RowSteps {
 public:
  RowSteps(const BatchSettings& settings, std::string stem, std::vector<RowOutcome>& outcomes,
           std::size_t r, const Recorder& record, const std::function<bool()>& folder_held)
      : settings_(settings), stem_(std::move(stem)), outcomes_(outcomes), r_(r),
        record_(record), folder_held_(folder_held), before_(outcomes[r]) {}

  RowOutcome& outcome() { return outcomes_[r_]; }
  const std::string& stem() const { return stem_; }
  std::string Path(const char* extension) const {
    return InFolder(settings_.folder, stem_ + extension);
  }

  // Plans the earlier document's move to earlier/, where there is one.
  void PlanSetAside() {
    if (!platform::PathExists(Path(".xml"))) return;
    name_ = EarlierName(settings_.folder, stem_);
    outcome().superseded = "earlier/" + name_ + ".xml";
    outcome().superseded_moved = true;
  }

  bool PlansSetAside() const { return !name_.empty(); }

  // Records the row as it will stand, next to the row as it stood; false,
  // with `why` for people, when the folder is no longer this run's or its
  // summary cannot be written.
  bool RecordPending(std::string& why) {
    if (!folder_held_()) {
      why = Tr("this run no longer holds the folder");
      return false;
    }
    std::vector<RowOutcome> rows = outcomes_;
    rows[r_] = before_;
    if (record_(WithPending(rows, r_, outcome()))) return true;
    why = TrF("%s cannot be written to vouch for it", InFolder(settings_.folder, "summary.csv"));
    return false;
  }

  // Moves the earlier document as planned.
  bool SetAside(std::string& reason) {
    return name_.empty() || MoveToEarlier(settings_.folder, stem_, name_, reason);
  }

  // The row as it stood: the folder, not the row, failed.
  void Undo() { outcomes_[r_] = before_; }

  // The row failed with `message`, its new document removed.
  void Fail(const std::string& message) {
    platform::DeleteFile(Path(".xml.part"));
    RowOutcome& row = outcome();
    row.result = RowResult::kFailed;
    row.checks = ChecksOutcome::kNone;
    row.failed_check.clear();
    row.failed_checks.clear();
    row.facts = {};
    row.superseded.clear();
    row.message = message;
  }

 private:
  const BatchSettings& settings_;
  std::string stem_;
  std::vector<RowOutcome>& outcomes_;
  std::size_t r_;
  const Recorder& record_;
  const std::function<bool()>& folder_held_;
  RowOutcome before_;  // the row as it stood
  std::string name_;  // in earlier/, where the earlier document goes
};

// Whether the document under the row's name is one the earlier summary
// vouches for, by its digest: a document it does not name, names with
// another digest, or names as made from other inputs is no filing of the
// row and goes to earlier/ when the row is made again.
bool Unrecorded(const std::string& path, const BatchSettings& settings, const RowOutcome& row) {
  const std::optional<std::string> bytes = platform::ReadWholeFile(path);
  if (!bytes) return false;
  const EarlierDocument* earlier = FindEarlier(settings.earlier, row.document);
  return earlier == nullptr || earlier->record.facts.sha256 != Sha256Hex(*bytes);
}

// Makes the row's document; false when the folder cannot take it (full:
// the row as it stood; or its summary cannot be written), every document
// left as it was.
bool MakeDocument(const LibraryFunctions& library, const AccountRow& row,
                  const BatchSettings& settings, RowSteps& steps, const ElapsedTime::Lines& lines) {
  RowOutcome& outcome = steps.outcome();
  outcome.checks = ChecksOutcome::kNone;
  outcome.failed_check.clear();
  outcome.failed_checks.clear();
  outcome.message.clear();
  outcome.page.clear();
  outcome.superseded.clear();
  outcome.facts = {};
  outcome.other_inputs = MadeFromOtherInputs(settings.earlier, outcome);
  outcome.unrecorded = !outcome.other_inputs && Unrecorded(steps.Path(".xml"), settings, outcome);
  const RowInputs before = InputsNow(row, settings);
  // The export writes beside the document, under a name of its own, so
  // that the earlier document stays whole until this one has passed.
  const std::string made = steps.Path(".xml.part");
  char message[256] = "";  // the library writes at most 52 bytes
  int result = 0;
  {
    ElapsedTime progress(lines, FindInstallLocation());
    result = CallExport(library, row, settings, made, message);
  }
  outcome.inputs = InputsNow(row, settings);
  if (result != 0) {
    platform::DeleteFile(made);
    // A full volume fails every call: it is no fault of the account, and
    // no filing goes to earlier/ for it.
    const std::string full = SpaceFault(settings.folder, kBytesPerDocument);
    if (!full.empty()) {
      Complain(row.account + " " + row.year + "-" + row.period + ": " + message + "; " + full);
      steps.Undo();
      return false;
    }
    outcome.result = RowResult::kFailed;
    outcome.message = message;
    steps.PlanSetAside();
    if (!steps.PlansSetAside()) return true;
    std::string reason;
    if (!steps.RecordPending(reason)) {
      outcome.superseded = reason;
      outcome.superseded_moved = false;
      return false;
    }
    if (!steps.SetAside(reason)) {
      outcome.superseded = reason;
      outcome.superseded_moved = false;
    }
    return true;
  }
  const std::optional<std::string> bytes = platform::ReadWholeFile(made);
  const DocumentCheck check = bytes ? CheckDocumentBytes(*bytes, settings.layouts)
                                    : CheckDocumentFile(made, settings.layouts);
  outcome.result = RowResult::kMade;
  TakeChecks(check, outcome);
  outcome.facts = FactsOf(bytes.value_or(""), check.document);
  if (outcome.inputs.template_sha256 != before.template_sha256) {
    outcome.inputs.template_sha256.clear();
    outcome.message = Tr("the template changed while the document was made; --resume makes it "
                         "again");
  }
  // A document that did not pass its checks (failed, or not checked)
  // replaces nothing: the earlier one goes to earlier/ first.
  const bool passed = check.failure.empty() && check.not_checked.empty();
  if (!passed || outcome.other_inputs || outcome.unrecorded) steps.PlanSetAside();
  std::string reason;
  if (!steps.RecordPending(reason)) {
    steps.Fail(TrF("not put in place, as %s", reason));
    return false;
  }
  if (!steps.SetAside(reason)) {
    steps.Fail(TrF("not put in place, as the earlier document cannot go to earlier/: %s", reason));
    return true;
  }
  if (!MoveFileReplacing(made, steps.Path(".xml"), reason)) {
    steps.Fail(TrF("the document %s cannot take the name %s: %s", made, steps.Path(".xml"),
                   reason));
    return true;
  }
  platform::DeleteFile(steps.Path(".html"));  // the earlier one's page
  WritePage(check, steps.stem(), settings, outcome);
  return true;
}

}  // namespace

RowsEnd RunRows(const LibraryFunctions& library, const std::vector<AccountRow>& rows,
                const BatchSettings& settings, const StopRequests& stop,
                std::vector<RowOutcome>& outcomes, const Recorder& record,
                const std::function<bool()>& folder_held) {
  Tally tally;
  for (const RowOutcome& outcome : outcomes) {
    if (outcome.result == RowResult::kToDo) ++tally.total;
  }
  const bool terminal = IsTerminal(stderr);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    RowOutcome& outcome = outcomes[r];
    if (outcome.result != RowResult::kToDo) continue;
    if (stop.Asked()) return RowsEnd::kStopped;
    if (!folder_held()) return RowsEnd::kFolderFailed;
    const AccountRow& row = rows[r];
    const std::string stem = RowStem(row, settings);
    const Clock::time_point start = Clock::now();
    outcome.inputs = InputsNow(row, settings);
    bool room = true;
    if (!KeptFromAnEarlierRun(InFolder(settings.folder, stem + ".xml"), stem, settings, outcome)) {
      const std::string full = SpaceFault(settings.folder, kBytesPerDocument);
      if (!full.empty()) {
        Complain(full);
        return RowsEnd::kFolderFailed;
      }
      RowSteps steps(settings, stem, outcomes, r, record, folder_held);
      room = MakeDocument(library, row, settings, steps, ProgressLines(row, tally, stop));
      outcome.seconds = SecondsSince(start);
      ++tally.made;
      tally.seconds_made += outcome.seconds;
    }
    ++tally.done;
    if (!terminal) Complain(FinishedLine(tally.done, tally.total, outcome));
    record(outcomes);
    if (!room) return RowsEnd::kFolderFailed;
  }
  return RowsEnd::kDone;
}

}  // namespace vok::tool
