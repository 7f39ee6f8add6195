#include "batch/folder_review.h"

#include <algorithm>
#include <optional>

#include "batch/document_facts.h"
#include "batch/folder_state.h"
#include "batch/set_aside.h"
#include "bundle/sha256.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "platform/files.h"
#include "show.h"

namespace vok::tool {
namespace {

// The digest of the folder's document; "" when there is none, nothing when
// it is there but cannot be read.
std::optional<std::string> DigestOnDisk(const std::string& path) {
  if (!platform::PathExists(path)) return "";
  const std::optional<std::string> bytes = platform::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return Sha256Hex(*bytes);
}

std::string StemOf(const std::string& document) {
  return document.substr(0, document.size() - 4);  // ".xml"
}

// The file in earlier/ that holds the row's document, by its digest: what a
// killed run set aside. "" when there is none.
std::string SetAsideCopy(const std::string& folder, const EarlierDocument& row) {
  const std::string earlier = InFolder(folder, "earlier");
  const std::string prefix = FoldCaseAsWindows(StemOf(row.document) + ".");
  for (const std::string& name : FilesInFolder(earlier).value_or(std::vector<std::string>{})) {
    if (FoldCaseAsWindows(name).rfind(prefix, 0) != 0 || name.size() < 4 ||
        name.compare(name.size() - 4, 4, ".xml") != 0) {
      continue;
    }
    if (DigestOnDisk(InFolder(earlier, name)) == row.record.facts.sha256) {
      return name.substr(0, name.size() - 4);
    }
  }
  return "";
}

// Why the document in the folder is not the row's, for people.
std::string Difference(const std::string& path, const EarlierDocument& row) {
  const std::optional<std::string> bytes = platform::ReadWholeFile(path);
  std::string fault;
  int status = 0;
  const std::optional<FilingDocument> document =
      bytes ? ReadDocumentBytes(*bytes, fault, status) : std::nullopt;
  const std::string content =
      document ? ContentFault(FactsOf(*bytes, document), row.year, row.period,
                              row.record.facts.statements)
               : "";
  return content.empty() ? Tr("its SHA-256 differs") : content;
}

void Settle(const std::string& folder, EarlierSummary& summary, const EarlierDocument& pending,
            bool act, std::vector<std::string>& told) {
  const auto same = [&](const EarlierDocument& row) {
    return FoldCaseAsWindows(row.document) == FoldCaseAsWindows(pending.document);
  };
  const auto before = std::find_if(summary.rows.begin(), summary.rows.end(), same);
  const std::optional<std::string> disk = DigestOnDisk(InFolder(folder, pending.document));
  if (disk == pending.record.facts.sha256) {
    told.push_back(TrF("summary.csv: the row a killed run had ready for %s stands, as the folder "
                       "holds what it names",
                       pending.document));
    if (before != summary.rows.end()) {
      *before = pending;
    } else {
      summary.rows.push_back(pending);
    }
    return;
  }
  told.push_back(TrF("summary.csv: the row a killed run had ready for %s is dropped, as the "
                     "folder does not hold what it names; the row before it stands",
                     pending.document));
  if (disk != "" || before == summary.rows.end() || before->record.facts.sha256.empty()) return;
  const std::string name = SetAsideCopy(folder, *before);
  if (name.empty()) return;
  std::string reason;
  if (!act) {
    told.push_back(TrF("earlier/%s.xml goes back to %s", name, pending.document));
  } else if (MoveBack(folder, StemOf(pending.document), name, reason)) {
    told.push_back(TrF("earlier/%s.xml is back as %s: a killed run had set it aside and put "
                       "nothing in its place",
                       name, pending.document));
  } else {
    told.push_back(reason);
  }
}

}  // namespace

FolderRecord ReadFolderRecord(const std::string& folder, bool act) {
  FolderRecord record;
  const std::string csv = InFolder(folder, "summary.csv");
  // A folder in its way is for the checks of what the run writes.
  const std::optional<std::uint32_t> attributes = platform::GetFileAttributes(csv);
  record.found = attributes && (*attributes & kFolderAttribute) == 0;
  if (!record.found) return record;
  const std::optional<std::string> bytes = platform::ReadWholeFile(csv);
  if (!bytes) {
    record.told.push_back(TrF("cannot read %s: %s; it is left as it is", csv, LastFileError()));
    record.status = kExitCannotRun;
    return record;
  }
  record.summary = ReadSummaryRecord(*bytes);
  if (!record.summary.refusal.empty()) {
    record.told.push_back(TrF("%s is not a summary as this tool writes it: %s. It is left as it "
                              "is: move it away, or undo the change, and run again",
                              csv, record.summary.refusal));
    record.status = kExitUsage;
    return record;
  }
  for (const std::string& note : record.summary.notes) {
    record.told.push_back(TrF("%s: %s", csv, note));
  }
  SettleRecord(folder, record.summary, act, record.told);
  return record;
}

void SettleRecord(const std::string& folder, EarlierSummary& summary, bool act,
                  std::vector<std::string>& told) {
  for (const EarlierDocument& pending : summary.pending) {
    Settle(folder, summary, pending, act, told);
  }
  summary.pending.clear();
  for (EarlierDocument& row : summary.rows) {
    if ((row.record.result != "made" && row.record.result != "kept") ||
        row.record.facts.sha256.empty()) {
      continue;
    }
    const std::string path = InFolder(folder, row.document);
    const std::optional<std::string> disk = DigestOnDisk(path);
    if (disk == row.record.facts.sha256) continue;
    if (disk == "") {
      told.push_back(TrF("%s, which summary.csv says was %s, is missing", row.document,
                         row.record.result));
      row.record.result = "document missing";
    } else {
      told.push_back(TrF("%s is not the document summary.csv says was %s: %s", row.document,
                         row.record.result, Difference(path, row)));
      row.record.result = "document changed";
    }
    row.made_and_passed = false;
  }
}

void Supersede(const std::vector<AccountRow>& rows, const BatchSettings& settings,
               std::vector<RowOutcome>& outcomes, const Recorder& record, bool act,
               std::vector<std::string>& told) {
  const std::string suffix = (settings.type.empty() ? "" : "-" + settings.type) + ".xml";
  for (std::size_t r = 0; r < outcomes.size(); ++r) {
    RowOutcome& other = outcomes[r];
    const std::string& result = other.earlier.result;
    if (other.result != RowResult::kNotInRun || (result != "made" && result != "kept")) continue;
    const std::string server = other.earlier.inputs.server;
    const std::string folded = FoldCaseAsWindows(other.document);
    std::string successor;
    bool listed = false;  // the server is still that of a row
    for (const AccountRow& row : rows) {
      if (!row.problem.empty() || row.year != other.year || row.period != other.period ||
          FoldCaseAsWindows(row.account) != FoldCaseAsWindows(other.account)) {
        continue;
      }
      const bool named =
          folded == FoldCaseAsWindows(DocumentStem(other.account, "", row.year, row.period) +
                                      suffix) ||
          folded == FoldCaseAsWindows(DocumentStem(other.account, server, row.year, row.period) +
                                      suffix);
      if (!named) continue;
      successor += (successor.empty() ? "" : ", ") + RowStem(row, settings) + ".xml";
      listed = listed || row.server == server;
    }
    if (successor.empty() || !platform::PathExists(InFolder(settings.folder, other.document))) {
      continue;
    }
    const std::string stem = StemOf(other.document);
    const std::string name = EarlierName(settings.folder, stem);
    RowOutcome superseded = other;
    superseded.earlier.result = "superseded";
    superseded.earlier.facts = {};
    superseded.earlier.message =
        listed ? TrF("superseded by %s of the same server; the document is now earlier/%s.xml",
                     successor, name)
               : TrF("the accounts file no longer lists the server %s for this account and "
                     "period (%s); the document is now earlier/%s.xml",
                     server, successor, name);
    if (!act) {
      told.push_back(TrF("%s would go to earlier/: %s", other.document,
                         superseded.earlier.message));
      continue;
    }
    std::string reason;
    if (!record(WithPending(outcomes, r, superseded))) {
      told.push_back(TrF("%s stays, as summary.csv cannot be written to record its move",
                         other.document));
    } else if (!MoveToEarlier(settings.folder, stem, name, reason)) {
      told.push_back(TrF("%s stays: %s", other.document, reason));
    } else {
      told.push_back(TrF("%s: %s", other.document, superseded.earlier.message));
      other = superseded;
    }
  }
}

}  // namespace vok::tool
