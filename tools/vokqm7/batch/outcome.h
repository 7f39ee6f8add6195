// What became of each row of a batch, as the summary tells it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/document_facts.h"

namespace vok::tool {

enum class RowResult {
  kMade,     // the export wrote the document in this run
  kKept,     // made and passed its checks in an earlier run (--resume)
  kFailed,   // the export failed
  kBadRow,   // the row was skipped: the accounts file is wrong there
  kToDo,     // this run has not come to the row (yet): the earlier outcome stands
  kNotInRun,  // a document of the folder's record that this run's accounts do not name
};

// kNotChecked: none failed, but a statement's layout fits no rules.
enum class ChecksOutcome { kNone, kPassed, kFailed, kNotChecked };

// What a document was made from besides its account, year, period and
// export, as summary.csv records it (GBK): the digests are SHA-256 in hex,
// of the template's bytes (both of a combined filing's) and of the --rules
// files' bytes ("" without --rules).
struct RowInputs {
  std::string server, template_path, template_sha256, rules_sha256;

  bool operator==(const RowInputs& other) const {
    return server == other.server && template_path == other.template_path &&
           template_sha256 == other.template_sha256 && rules_sha256 == other.rules_sha256;
  }
  bool operator!=(const RowInputs& other) const { return !(*this == other); }
};

// A row of an earlier run's summary.csv, its texts as they stand there
// (GBK); `result` without the "to do (...)" or "not in this run (...)"
// around it: "made", "kept", "FAILED", "superseded", or, where the folder
// no longer holds the document the row recorded, "document changed" or
// "document missing". `inputs_known` when the row names its inputs (a
// summary of an older tool does not).
struct EarlierRecord {
  std::string export_name, result, seconds, checks, message;
  RowInputs inputs;
  bool inputs_known = false;
  DocumentFacts facts;  // of the document it made or kept
};

struct RowOutcome {
  std::size_t line = 0;  // in the accounts file
  std::string account, year, period;
  std::string export_name;  // "GetReportDate" or "GetReportDateV2"
  RowResult result = RowResult::kToDo;
  std::string message;  // the library's message, or what is wrong with the row
  ChecksOutcome checks = ChecksOutcome::kNone;
  std::string failed_check;  // the name of the first check that failed (or was not checked)
  std::vector<std::string> failed_checks;  // every failed check's title and details, GBK
  std::string formats;  // the formats that judged its statements, GBK; "" when none did
  double seconds = 0;        // the export and the checks
  std::string page;          // with --html: the document's page in the folder, or ""
  std::string document;      // its document's name in the folder; "" for a bad row
  // Where the earlier document went when this run made none that passed:
  // "earlier/105-2026-11.20261209-163502.xml"; or why it could not go.
  std::string superseded;
  bool superseded_moved = false;  // it went there (else `superseded` says why not)
  // The earlier document was made from other inputs, so it went to earlier/.
  bool other_inputs = false;
  // The document under the row's name was not the one the record names
  // (another digest, or no row), so it went to earlier/.
  bool unrecorded = false;
  RowInputs inputs;  // this run's, for the rows it makes or keeps
  DocumentFacts facts;  // of the document it made or kept
  // The row as it will stand once its document has taken its name:
  // recorded as "pending (...)" next to the row it replaces, so that a run
  // killed in between is settled by the document's digest.
  bool pending = false;
  // For a row to do or not in this run: what the earlier summary said of it
  // ("" result: none).
  EarlierRecord earlier;
};

// The inputs and the document's facts that summary.csv records of the
// row: this run's, or, for a row it has not made or kept, the earlier ones.
const RowInputs& RecordedInputs(const RowOutcome& row);
const DocumentFacts& RecordedFacts(const RowOutcome& row);

// The words of summary.csv's result and checks columns, which programs and
// --resume read: English whatever the language.
// "made", "kept", "FAILED", "bad row", "to do", "not in this run".
const char* ResultWord(RowResult result);
// The result column: ResultWord, and for a row to do or not in this run the
// earlier outcome next to it, "to do (made)", "not in this run (FAILED)";
// a pending row's "pending (made)".
std::string ResultText(const RowOutcome& row);
// Whether the row shows the earlier summary's export, seconds, checks,
// message and inputs rather than this run's: a row not in this run, or one
// still to do that has an earlier outcome.
bool ShowsEarlier(const RowOutcome& row);
// "passed", "FAILED: <name>", "not checked: <name>", or "" where nothing
// was checked.
std::string ChecksText(const RowOutcome& row);

// A result or checks text of summary.csv (ResultText, ChecksText, or as an
// earlier summary has it) in the tool's language, for the table, the page
// and the progress lines: "to do (made)" is "待办（已生成）" in Chinese.
// What it does not know stays as it is.
std::string ShownWords(const std::string& record);

// The checks column as people read it: ShownWords(ChecksText), and the
// formats that judged the document, "passed, checked as 财会〔2019〕6号 附件1 利润表".
std::string ShownChecks(const RowOutcome& row);

// The library's message or what is wrong with the row, then, where this
// run left no current filing of an enterprise that had one, what became of
// the earlier document. In the tool's language (the library's message as it
// is): it is for people, in the summary too.
std::string MessageText(const RowOutcome& row);

// "1.2": the seconds of a row, as the summary and the progress show them.
std::string SecondsText(double seconds);

// 0 when every row was made and passed its checks, 3 when all were made but
// a check failed, 5 when none failed but a document was not checked, 1 when
// an export failed or a row was bad (or one is still to do, which only a
// stopped batch leaves, whose status is its own). Rows not in this run
// do not count.
int BatchExitStatus(const std::vector<RowOutcome>& rows);

}  // namespace vok::tool
