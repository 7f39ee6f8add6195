// The batch's rows, one after the other: each account's combined filing
// through the library's export, as a filing client makes it, then show's
// checks on the document. One row's failure never stops the others; Ctrl-C
// stops the batch after the call in progress.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/accounts_file.h"
#include "batch/inputs.h"
#include "batch/outcome.h"
#include "batch/resume.h"
#include "host.h"
#include "library.h"
#include "checks/rule_file.h"

namespace vok::tool {

struct BatchSettings {
  std::string folder;  // DIR, GBK
  bool financial = false;   // GetReportDateV2 instead of GetReportDate
  // "zcfzb" or "syb": single statements through GetReportV2, the template
  // from the row; "" for combined filings.
  std::string type;
  bool html = false;        // a page for each document
  bool resume = false;      // keep what `earlier` says was made and passed
  std::vector<EarlierDocument> earlier;  // the earlier run's summary, settled
  SharedInputs shared;  // what every row is made from besides its own
  std::vector<Layout> layouts = ShippedLayouts();  // the checks' rules, with --rules
};

// "GetReportDate", "GetReportDateV2" or "GetReportV2".
const char* ExportName(const BatchSettings& settings);

// The file `name` in the folder (GBK).
std::string InFolder(const std::string& folder, const std::string& name);

// The row's document name in DIR without extension: the row's stem, and
// for a single statement its type after it, "105-2026-03-syb".
std::string RowStem(const AccountRow& row, const BatchSettings& settings);

// The row's inputs as they are now (RowInputsOf).
RowInputs InputsNow(const AccountRow& row, const BatchSettings& settings);

// Every row still to do, with its inputs and next to what the earlier
// summary said of its document; the bad ones as bad rows, among them one
// whose document the record names with letters of another case (one file
// on Windows, two elsewhere). After them the earlier summary's rows whose
// documents no row of this run names, as rows not in this run.
std::vector<RowOutcome> PlannedOutcomes(const std::vector<AccountRow>& rows,
                                        const BatchSettings& settings);

// Writes the summary of the rows; false when it could not be written.
using Recorder = std::function<bool(const std::vector<RowOutcome>&)>;

// `outcomes` with `pending` recorded after row `r`, as a run records what
// it is about to do to that row's document.
std::vector<RowOutcome> WithPending(const std::vector<RowOutcome>& outcomes, std::size_t r,
                                    RowOutcome pending);

enum class RowsEnd {
  kDone,
  kStopped,       // Ctrl-C left rows to do
  kFolderFailed,  // the folder cannot take more (full, its lock or its summary lost)
};

// Makes and checks the rows still to do, in file order, until the end or
// until `stop` is asked, and updates `outcomes`; `record` is called after
// each row (the summary file is replaced, so a batch that is killed leaves
// what it did). A document is made under a temporary name in DIR. Once it
// is read back, its row as it will stand is recorded as pending (with its
// digest); then the earlier document goes to DIR/earlier/ where it must
// (the new one failed its checks or the call; the earlier one was made
// from other inputs, or is not the one the record names), and the new one
// takes its name. A run killed in between leaves a pending row that the
// next run settles by the digest of what the folder holds. When the
// pending row cannot be recorded, the document is not put in place and the
// run stops. Before each row `folder_held` says whether the folder is
// still this run's, and the volume must have room for a document: else the
// run stops, every document left as it is; so it does when a call fails on
// a full volume.
RowsEnd RunRows(const LibraryFunctions& library, const std::vector<AccountRow>& rows,
                const BatchSettings& settings, const StopRequests& stop,
                std::vector<RowOutcome>& outcomes, const Recorder& record,
                const std::function<bool()>& folder_held);

}  // namespace vok::tool
