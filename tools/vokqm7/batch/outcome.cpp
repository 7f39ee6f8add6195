#include "batch/outcome.h"

#include <cstdio>
#include <optional>
#include <string_view>

#include "exit_codes.h"
#include "language/language.h"

namespace vok::tool {

const char* ResultWord(RowResult result) {
  switch (result) {
    case RowResult::kMade: return "made";
    case RowResult::kKept: return "kept";
    case RowResult::kFailed: return "FAILED";
    case RowResult::kBadRow: return "bad row";
    case RowResult::kNotInRun: return "not in this run";
    case RowResult::kToDo: break;
  }
  return "to do";
}

bool ShowsEarlier(const RowOutcome& row) {
  return row.result == RowResult::kNotInRun ||
         (row.result == RowResult::kToDo && !row.earlier.result.empty());
}

const RowInputs& RecordedInputs(const RowOutcome& row) {
  const bool earlier = row.result == RowResult::kToDo || row.result == RowResult::kNotInRun;
  return earlier ? row.earlier.inputs : row.inputs;
}

const DocumentFacts& RecordedFacts(const RowOutcome& row) {
  const bool earlier = row.result == RowResult::kToDo || row.result == RowResult::kNotInRun;
  return earlier ? row.earlier.facts : row.facts;
}

std::string ResultText(const RowOutcome& row) {
  std::string text = ResultWord(row.result);
  if (ShowsEarlier(row) && !row.earlier.result.empty()) text += " (" + row.earlier.result + ")";
  return row.pending ? "pending (" + text + ")" : text;
}

std::string MessageText(const RowOutcome& row) {
  if (row.superseded.empty()) return row.message;
  const bool made = row.result == RowResult::kMade;
  const bool remade = made && row.checks == ChecksOutcome::kPassed && row.other_inputs;
  const bool unrecorded = made && row.checks == ChecksOutcome::kPassed && row.unrecorded;
  const std::string what =
      remade && row.superseded_moved
          ? TrF("made again as its inputs changed, the earlier document is now %s",
                row.superseded)
      : unrecorded && row.superseded_moved
          ? TrF("made again, as the document under its name was not the one the record names; "
                "that one is now %s",
                row.superseded)
      : row.superseded_moved
          ? (made ? TrF("no current filing that passed its checks, the earlier document is now %s",
                        row.superseded)
                  : TrF("no current filing, the earlier document is now %s", row.superseded))
          : (made ? TrF("no current filing that passed its checks, the earlier document could "
                        "not be set aside: %s",
                        row.superseded)
                  : TrF("no current filing, the earlier document could not be set aside: %s",
                        row.superseded));
  return row.message.empty() ? what : TrF("%s; %s", row.message, what);
}

std::string ChecksText(const RowOutcome& row) {
  switch (row.checks) {
    case ChecksOutcome::kPassed: return "passed";
    case ChecksOutcome::kFailed: return "FAILED: " + row.failed_check;
    case ChecksOutcome::kNotChecked: return "not checked: " + row.failed_check;
    case ChecksOutcome::kNone: break;
  }
  return "";
}

std::string ShownWords(const std::string& record) {
  // The words as ResultWord and ChecksText write them.
  static constexpr const char* kWords[] = {
      N_("made"),   N_("kept"),           N_("bad row"),          N_("to do"),
      N_("passed"), N_("not in this run"), N_("document changed"), N_("document missing"),
      N_("superseded")};
  for (const char* word : kWords) {
    if (record == word) return Tr(word);
  }
  // A failed export, not a failed check (show's "FAILED").
  if (record == "FAILED") return TrC("row result", "FAILED");
  const auto after = [&record](std::string_view prefix) -> std::optional<std::string> {
    if (record.rfind(prefix, 0) != 0) return std::nullopt;
    return record.substr(prefix.size());
  };
  if (const auto name = after("FAILED: ")) return TrF("FAILED: %s", *name);
  if (const auto name = after("not checked: ")) return TrF("not checked: %s", *name);
  if (const auto earlier = after("to do ("); earlier && !earlier->empty() &&
                                             earlier->back() == ')') {
    return TrF("to do (%s)", ShownWords(earlier->substr(0, earlier->size() - 1)));
  }
  if (const auto earlier = after("not in this run ("); earlier && !earlier->empty() &&
                                                       earlier->back() == ')') {
    return TrF("not in this run (%s)", ShownWords(earlier->substr(0, earlier->size() - 1)));
  }
  return record;
}

std::string ShownChecks(const RowOutcome& row) {
  const std::string words = ShownWords(ChecksText(row));
  if (row.formats.empty() || row.checks == ChecksOutcome::kNone) return words;
  return TrF("%s, checked as %s", words, row.formats);
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

int BatchExitStatus(const std::vector<RowOutcome>& rows) {
  bool check_failed = false, not_checked = false;
  for (const RowOutcome& row : rows) {
    if (row.result == RowResult::kNotInRun) continue;
    const bool made = row.result == RowResult::kMade || row.result == RowResult::kKept;
    if (!made) return kExitExportFailed;
    if (row.checks == ChecksOutcome::kNotChecked) {
      not_checked = true;
    } else if (row.checks != ChecksOutcome::kPassed) {
      check_failed = true;
    }
  }
  if (check_failed) return kExitCheckFailed;
  return not_checked ? kExitNotChecked : kExitSuccess;
}

}  // namespace vok::tool
