#include "batch/runner.h"

#include <chrono>
#include <cstdio>

#include "batch/document_check.h"
#include "batch/progress.h"
#include "driver/install_location.h"
#include "elapsed.h"
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
        return account + " " + year + "-" + period + ": waiting for the installation, in use by " +
               holder;
      }};
}

// The checks of the document at `path`, and its page with --html.
void Check(const std::string& path, const std::string& stem, const BatchSettings& settings,
           RowOutcome& outcome) {
  const DocumentCheck check = CheckDocumentFile(path, settings.layouts);
  outcome.checks = !check.failure.empty()       ? ChecksOutcome::kFailed
                   : !check.not_checked.empty() ? ChecksOutcome::kNotChecked
                                                : ChecksOutcome::kPassed;
  outcome.failed_check = check.failure.empty() ? check.not_checked : check.failure;
  outcome.failed_checks.clear();
  if (!check.document && !check.failure.empty()) outcome.failed_checks.push_back(check.failure);
  for (const CheckResult& result : check.checks) {
    if (result.outcome != CheckResult::Outcome::kFailed) continue;
    std::string text = result.title;
    for (const std::string& detail : result.details) text += "; " + detail;
    outcome.failed_checks.push_back(text);
  }
  if (!settings.html || !check.document) return;
  const std::string page = stem + ".html";
  if (WriteDocument(InFolder(settings.folder, page),
                    RenderHtml(*check.document, check.checks, stem + ".xml"), true)) {
    outcome.page = page;
  }
}

// A document made and passed in an earlier run, which is kept when it
// still passes its checks.
bool Keep(const AccountRow& row, const std::string& path, const std::string& stem,
          const BatchSettings& settings, RowOutcome& outcome) {
  if (!settings.resume || !platform::PathExists(path) ||
      !MadeBefore(settings.earlier, row.account, row.year, row.period, outcome.export_name)) {
    return false;
  }
  Check(path, stem, settings, outcome);
  if (outcome.checks != ChecksOutcome::kPassed) return false;
  outcome.result = RowResult::kKept;
  return true;
}

void Make(const LibraryFunctions& library, const AccountRow& row, const std::string& path,
          const std::string& stem, const BatchSettings& settings, RowOutcome& outcome,
          const ElapsedTime::Lines& lines) {
  // What an earlier run left under these names goes first, so that a
  // failure now leaves no document that looks made.
  platform::DeleteFile(path);
  platform::DeleteFile(InFolder(settings.folder, stem + ".html"));
  outcome.checks = ChecksOutcome::kNone;
  outcome.failed_check.clear();
  outcome.failed_checks.clear();
  outcome.page.clear();
  LoginFields fields;
  fields.account = row.account;
  fields.year = row.year;
  fields.period = row.period;
  fields.server = row.server;
  const std::string login = BuildLoginXml(fields);
  char message[256] = "";  // the library writes at most 52 bytes
  int result = 0;
  {
    ElapsedTime progress(lines, FindInstallLocation());
    result = settings.financial ? library.get_report_date_v2(login.c_str(), path.c_str(), message)
                                : library.get_report_date(login.c_str(), path.c_str(), message);
  }
  if (result != 0) {
    outcome.result = RowResult::kFailed;
    outcome.message = message;
    return;
  }
  outcome.result = RowResult::kMade;
  Check(path, stem, settings, outcome);
}

}  // namespace

std::string InFolder(const std::string& folder, const std::string& name) {
  return platform::JoinPath(folder, name);
}

const char* ExportName(const BatchSettings& settings) {
  return settings.financial ? "GetReportDateV2" : "GetReportDate";
}

std::string DocumentStem(const std::string& account, const std::string& year,
                         const std::string& period) {
  return account + "-" + year + "-" + (period.size() < 2 ? "0" : "") + period;
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
    }
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
    if (outcome.result != RowResult::kBadRow) ++tally.total;
  }
  const bool terminal = IsTerminal(stderr);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    RowOutcome& outcome = outcomes[r];
    if (outcome.result != RowResult::kNotDone) continue;
    if (stop.Asked()) return true;
    const AccountRow& row = rows[r];
    const std::string stem = DocumentStem(row.account, row.year, row.period);
    const std::string path = InFolder(settings.folder, stem + ".xml");
    const Clock::time_point start = Clock::now();
    if (!Keep(row, path, stem, settings, outcome)) {
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
