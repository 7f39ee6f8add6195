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
#include "show/rule_file.h"

namespace vok::tool {

struct BatchSettings {
  std::string folder;  // DIR, GBK
  bool financial = false;   // GetReportDateV2 instead of GetReportDate
  bool html = false;        // a page for each document
  bool resume = false;
  std::vector<EarlierDocument> earlier;  // what an earlier run made, with --resume
  std::vector<Layout> layouts = ShippedLayouts();  // the checks' rules, with --rules
};

// "GetReportDate" or "GetReportDateV2".
const char* ExportName(const BatchSettings& settings);

// The file `name` in the folder (GBK).
std::string InFolder(const std::string& folder, const std::string& name);

// The document's name in DIR without its extension: "105-2026-03".
std::string DocumentStem(const std::string& account, const std::string& year,
                         const std::string& period);

// Every row as not done yet, the bad ones as bad rows.
std::vector<RowOutcome> PlannedOutcomes(const std::vector<AccountRow>& rows,
                                        const BatchSettings& settings);

// Makes and checks the rows still not done, in file order, until the end or
// until `stop` is asked, and updates `outcomes`; `record` is called after
// each row (the summary file is rewritten, so a batch that is killed leaves
// what it did). True when Ctrl-C left rows not done.
bool RunRows(const LibraryFunctions& library, const std::vector<AccountRow>& rows,
             const BatchSettings& settings, const StopRequests& stop,
             std::vector<RowOutcome>& outcomes,
             const std::function<void(const std::vector<RowOutcome>&)>& record);

}  // namespace vok::tool
