// What an earlier run into the same folder left in its summary.csv: the
// outcome of each document, which a row keeps until this run has a new one
// (and keeps when this run's accounts do not name it), and, for --resume,
// which documents were made from which inputs and passed their checks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/outcome.h"

namespace vok::tool {

// One row of the earlier summary that names a document. GBK.
struct EarlierDocument {
  std::string account, year, period, document;
  EarlierRecord record;
  // "made" or "kept" (or still to do after one of them) with checks passed.
  bool made_and_passed = false;
};

// The rows of the summary that name a document (bad rows name none). A
// summary written before the document column gets the names the rows had
// then, "<account>-<year>-<period>.xml". Rows it cannot read are left out,
// so what they stand for is done again; so is everything when the file is
// no summary.
std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes);

// The earlier summary's row of the document (names compared as Windows
// compares them), or nothing.
const EarlierDocument* FindEarlier(const std::vector<EarlierDocument>& earlier,
                                   const std::string& document);

// Whether the earlier run made the row's document from the same inputs
// (account, year, period, export, server, template and its content, rules)
// and saw it pass. A row whose earlier inputs are not recorded is made
// again: nothing tells that they were the same.
bool MadeBefore(const std::vector<EarlierDocument>& earlier, const RowOutcome& row);

// Whether the earlier summary records that the row's document was made
// from other inputs than the row's: that document is no filing of this
// row, and goes to earlier/ before the row is made again.
bool MadeFromOtherInputs(const std::vector<EarlierDocument>& earlier, const RowOutcome& row);

}  // namespace vok::tool
