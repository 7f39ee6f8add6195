// The batch's rows, one after the other: each account's combined filing
// through the library's export, as a filing client makes it, then show's
// checks on the document. One row's failure never stops the others; Ctrl-C
// stops the batch after the call in progress.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/accounts_file.h"
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
  std::vector<EarlierDocument> earlier;  // the earlier run's summary
  RowInputs shared_inputs;  // what every row is made from besides its own (SharedInputs)
  std::vector<Layout> layouts = ShippedLayouts();  // the checks' rules, with --rules
};

// "GetReportDate", "GetReportDateV2" or "GetReportV2".
const char* ExportName(const BatchSettings& settings);

// The file `name` in the folder (GBK).
std::string InFolder(const std::string& folder, const std::string& name);

// The row's document name in DIR without extension: the row's stem, and
// for a single statement its type after it, "105-2026-03-syb".
std::string RowStem(const AccountRow& row, const BatchSettings& settings);

// Every row still to do, with its inputs and next to what the earlier
// summary said of its document; the bad ones as bad rows. After them the
// earlier summary's rows whose documents no row of this run names, as
// rows not in this run.
std::vector<RowOutcome> PlannedOutcomes(const std::vector<AccountRow>& rows,
                                        const BatchSettings& settings);

// Makes and checks the rows still to do, in file order, until the end or
// until `stop` is asked, and updates `outcomes`; `record` is called after
// each row (the summary file is replaced, so a batch that is killed leaves
// what it did). A document is made under a temporary name in DIR and takes
// its own name only when it passed its checks, or once the earlier one is
// set aside in DIR/earlier/: no document goes before its successor passed,
// except one the earlier summary says was made from other inputs, which
// goes to DIR/earlier/ before the call (and where it cannot, the row fails
// without one).
// True when Ctrl-C left rows to do.
bool RunRows(const LibraryFunctions& library, const std::vector<AccountRow>& rows,
             const BatchSettings& settings, const StopRequests& stop,
             std::vector<RowOutcome>& outcomes,
             const std::function<void(const std::vector<RowOutcome>&)>& record);

}  // namespace vok::tool
