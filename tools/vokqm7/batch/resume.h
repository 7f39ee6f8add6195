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
  std::size_t line = 0;  // in summary.csv
};

struct EarlierSummary {
  std::vector<EarlierDocument> rows;
  // "pending (...)" rows: what a run killed while it put a document in
  // place was about to record (SettleRecord decides).
  std::vector<EarlierDocument> pending;
  // Lines that cannot be read as a row (too many fields, bytes that are no
  // text, no document), as they were, in UTF-8 without their line ends:
  // written back as they are.
  std::vector<std::string> unread;
  // For people, GBK: each line not read and why, each account whose
  // leading zeros a spreadsheet program took away and that was read back.
  std::vector<std::string> notes;
  // What shows that the file is not a summary this tool wrote (another
  // separator, a column added, renamed or missing), GBK; "" when it is.
  // Such a file is used for nothing and left as it is.
  std::string refusal;
};

// The summary's rows from its bytes (UTF-8 as written, or GBK as a
// spreadsheet program on Chinese Windows saves it). A summary written
// before the document column gets the names the rows had then,
// "<account>-<year>-<period>.xml"; bad rows belong to the accounts file
// that had them and are left out. A row with fewer fields than the header
// lacks only empty ones. An account given as digits without the leading
// zeros that its document's name starts with is read with them.
EarlierSummary ReadSummaryRecord(std::string_view bytes);

// ReadSummaryRecord's rows.
std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes);

// The earlier summary's row of the document (names compared as Windows
// compares them), or nothing.
const EarlierDocument* FindEarlier(const std::vector<EarlierDocument>& earlier,
                                   const std::string& document);

// Whether the earlier run made the row's document from the same inputs
// (account, year, period, export, server, template and its content, rules),
// saw it pass and recorded its digest. A row whose earlier inputs or
// digest are not recorded is made again: nothing tells that they were the
// same. The caller still compares the digest with the file.
bool MadeBefore(const std::vector<EarlierDocument>& earlier, const RowOutcome& row);

// Whether the earlier summary records that the row's document was made
// from other inputs than the row's: that document is no filing of this
// row, and goes to earlier/ when the row is made again.
bool MadeFromOtherInputs(const std::vector<EarlierDocument>& earlier, const RowOutcome& row);

}  // namespace vok::tool
