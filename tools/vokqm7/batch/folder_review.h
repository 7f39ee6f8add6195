// The folder's record held against the folder before a run, with the
// folder's lock held: what a killed run was about to record is settled by
// the documents' digests, a row no longer vouches for a document the
// folder does not hold as it was made, and the documents that this run's
// accounts file supersedes leave the current set.
#pragma once

#include <string>
#include <vector>

#include "batch/accounts_file.h"
#include "batch/resume.h"
#include "batch/runner.h"

namespace vok::tool {

// The folder's summary.csv read and settled (SettleRecord), with what
// there is to tell of it, for people; `status` is set when a run must not
// go on: the file is there but cannot be read (kExitCannotRun), or it is
// not a summary this tool wrote (kExitUsage). The file is left as it is.
struct FolderRecord {
  EarlierSummary summary;
  bool found = false;  // there is a summary.csv
  std::vector<std::string> told;
  int status = 0;
};
FolderRecord ReadFolderRecord(const std::string& folder, bool act);

// Settles the pending rows of `summary`: one whose digest the document
// under its name has now takes its row's place; any other is dropped, and
// where the killed run had set the document of the row before it aside in
// earlier/ and put nothing in its place, that document goes back (only
// with `act`). Then every row that says its document was made or kept and
// records its digest is held against the file: one that differs becomes
// "document changed", one that is gone "document missing". What it finds
// or would do is added to `told`, for people.
void SettleRecord(const std::string& folder, EarlierSummary& summary, bool act,
                  std::vector<std::string>& told);

// The rows not in this run whose documents a row of this run supersedes:
// the same account (letters compared as Windows compares file names),
// year, period and kind of document, under the name another server gave
// it. With `act` each goes to earlier/ (its row recorded as pending first)
// and its row says so as "superseded"; else it is only told.
void Supersede(const std::vector<AccountRow>& rows, const BatchSettings& settings,
               std::vector<RowOutcome>& outcomes, const Recorder& record, bool act,
               std::vector<std::string>& told);

}  // namespace vok::tool
