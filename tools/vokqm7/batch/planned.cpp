// What a run plans before its first row: the names in DIR, the rows with
// their inputs and the earlier record's outcomes (batch/runner.h).
#include <algorithm>

#include "batch/runner.h"
#include "batch/resume.h"
#include "language/language.h"
#include "platform/path_parts.h"

namespace vok::tool {

RowInputs InputsNow(const AccountRow& row, const BatchSettings& settings) {
  return RowInputsOf(settings.shared, row.server, settings.type.empty() ? "" : row.template_file);
}

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
    const std::string document = RowStem(row, settings) + ".xml";
    const EarlierDocument* earlier =
        row.problem.empty() ? FindEarlier(settings.earlier, document) : nullptr;
    if (!row.problem.empty()) {
      outcome.result = RowResult::kBadRow;
      outcome.message = row.problem;
    } else if (earlier != nullptr && earlier->document != document) {
      outcome.result = RowResult::kBadRow;
      outcome.message = TrF(
          "line %s: the folder's record has its document as %s, a name that differs only in the "
          "case of its letters, which is one file on Windows and two elsewhere: give the account "
          "as the record has it, or move that document and its row away first",
          std::to_string(row.line), earlier->document);
    } else {
      outcome.document = document;
      outcome.inputs = InputsNow(row, settings);
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

std::vector<RowOutcome> WithPending(const std::vector<RowOutcome>& outcomes, std::size_t r,
                                    RowOutcome pending) {
  std::vector<RowOutcome> with = outcomes;
  pending.pending = true;
  with.insert(with.begin() + static_cast<std::ptrdiff_t>(r) + 1, std::move(pending));
  return with;
}

}  // namespace vok::tool
