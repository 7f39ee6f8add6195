// The summary of a batch: a table for the terminal, the same as a CSV file
// for spreadsheet programs, and a closing line of totals.
#pragma once

#include <string>
#include <vector>

#include "batch/outcome.h"
#include "language/language.h"

namespace vok::tool {

// The columns of both, in order. summary.csv names them in English
// whatever the language (programs read it); the table shows them in the
// tool's language.
// A row still to do keeps the export, seconds, checks and message of the
// earlier summary's row of its document; "document" is the name in DIR.
inline constexpr const char* kSummaryColumns[] = {N_("account"), N_("year"),    N_("period"),
                                                  N_("export"),  N_("result"),  N_("seconds"),
                                                  N_("checks"),  N_("message"), N_("document")};

// The table's lines (GBK, without line ends), its columns lined up by
// display width; headings and result words in the tool's language. A
// server column after the period where an account has rows of more than
// one server (ServerShown).
std::vector<std::string> SummaryTable(const std::vector<RowOutcome>& rows);

// Whether one account has rows of more than one server among `rows`
// (accounts compared as Windows compares file names).
bool ServerShown(const std::vector<RowOutcome>& rows);

// What summary.csv records after those columns: the inputs each document
// was made from (RowInputs), for --resume, then what the document says of
// itself (DocumentFacts), by which the record vouches for it. Neither the
// table nor the page shows them (but the server, where ServerShown).
inline constexpr const char* kInputColumns[] = {"server", "template", "template sha256",
                                                "rules sha256"};
inline constexpr const char* kDocumentColumns[] = {"document sha256", "document period",
                                                   "statements", "enterprise"};

// summary.csv: UTF-8 with a byte-order mark, by which spreadsheet programs
// tell it from the system's code page, and CR LF line ends, its values as
// ForSpreadsheet gives them. Its column names and result and checks words
// are English in every language. It is the folder's record: the rows of
// this run, then those of earlier runs that this run's accounts do not
// name, as they stood, then the lines of the earlier summary that could not
// be read, as they were (UTF-8, without their line ends).
std::string SummaryCsv(const std::vector<RowOutcome>& rows,
                       const std::vector<std::string>& unread_lines = {});

// "6 rows: 3 made and passed their checks (1 kept from an earlier run), 1
// failed a check, 1 export failed, 1 bad row, 1 to do", of this run's rows;
// then "; 2 more rows of the folder not in this run" where there are such.
std::string SummaryTotals(const std::vector<RowOutcome>& rows);

}  // namespace vok::tool
