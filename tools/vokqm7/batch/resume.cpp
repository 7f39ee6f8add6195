#include "batch/resume.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "batch/accounts_file.h"
#include "batch/csv.h"
#include "batch/csv_encoding.h"
#include "batch/summary.h"
#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

// "made" of "to do (made)", "not in this run (made)" or "pending (made)";
// "" of a row that had no outcome; any other text as it is.
std::string EarlierResult(const std::string& result) {
  for (const std::string pending : {"pending", "to do", "not in this run"}) {
    if (result == pending) return "";
    const std::string open = pending + " (";
    if (result.rfind(open, 0) == 0 && result.size() > open.size() && result.back() == ')') {
      return EarlierResult(result.substr(open.size(), result.size() - open.size() - 1));
    }
  }
  return result;
}

bool SameRow(const EarlierDocument& earlier, const RowOutcome& row) {
  return earlier.record.inputs_known && earlier.account == row.account &&
         earlier.year == row.year && earlier.period == row.period &&
         earlier.record.export_name == row.export_name && earlier.record.inputs == row.inputs;
}

// The columns of summary.csv, in order, and how many of them the tool has
// written over time: before the document column, before the inputs, before
// the document's facts, and now.
std::vector<std::string> AllColumns() {
  std::vector<std::string> all(std::begin(kSummaryColumns), std::end(kSummaryColumns));
  all.insert(all.end(), std::begin(kInputColumns), std::end(kInputColumns));
  all.insert(all.end(), std::begin(kDocumentColumns), std::end(kDocumentColumns));
  return all;
}
constexpr std::size_t kColumnsOverTime[] = {8, 9, 13, 17};

// What keeps the header from being one this tool wrote; "" when it is one.
std::string HeaderFault(const std::vector<std::string>& header) {
  const std::vector<std::string> all = AllColumns();
  if (std::find(std::begin(kColumnsOverTime), std::end(kColumnsOverTime), header.size()) !=
          std::end(kColumnsOverTime) &&
      std::equal(header.begin(), header.end(), all.begin())) {
    return "";
  }
  if (header.size() == 1 && header[0].find(';') != std::string::npos) {
    return Tr("its fields are separated by semicolons, not by commas");
  }
  if (header.size() == 1 && header[0].find('\t') != std::string::npos) {
    return Tr("its fields are separated by tabs, not by commas");
  }
  for (std::size_t c = 0; c < header.size() && c < all.size(); ++c) {
    if (header[c] != all[c]) {
      return TrF("its column %s is \"%s\" where this tool writes \"%s\"", std::to_string(c + 1),
                 header[c], all[c]);
    }
  }
  if (header.size() > all.size()) {
    return TrF("it has a column \"%s\" (column %s) that this tool does not write",
               header[all.size()], std::to_string(all.size() + 1));
  }
  return TrF("it lacks the column \"%s\" (column %s)", all[header.size()],
             std::to_string(header.size() + 1));
}

// The account with the leading zeros that its document's name has and a
// spreadsheet program took away ("1" of 001-2026-11.xml is 001); else as it is.
std::string WithLeadingZeros(const std::string& account, const std::string& document) {
  if (account.empty() || account[0] == '0' ||
      account.find_first_not_of("0123456789") != std::string::npos) {
    return account;
  }
  const std::size_t zeros = document.find_first_not_of('0');
  if (zeros == 0 || zeros == std::string::npos ||
      document.compare(zeros, account.size() + 1, account + "-") != 0) {
    return account;
  }
  return document.substr(0, zeros) + account;
}

}  // namespace

// summary.csv's column names and its result and checks words are English
// in every language, so that a run in one reads what a run in another wrote.
EarlierSummary ReadSummaryRecord(std::string_view bytes) {
  EarlierSummary summary;
  if (ReadsTwoWays(bytes)) {
    summary.refusal = Tr("it has no byte-order mark, and its bytes read as one text in UTF-8 and "
                         "as another in GBK");
    return summary;
  }
  const CsvEncoding encoding = DetectCsvEncoding(bytes);
  const std::string_view text = CsvText(bytes, encoding);
  const CsvRecords csv = ReadCsv(text);
  if (csv.records.empty()) return summary;
  std::vector<std::string> header;
  for (const std::string& name : csv.records.front().fields) {
    std::string fault;
    header.push_back(CsvFieldToGbk(encoding, name, fault).value_or(name));
  }
  summary.refusal = HeaderFault(header);
  if (!summary.refusal.empty()) return summary;
  for (std::size_t r = 1; r < csv.records.size(); ++r) {
    const CsvRecord& record = csv.records[r];
    const std::string line = std::to_string(record.line);
    const auto unread = [&](const std::string& why) {
      const std::string_view raw = text.substr(record.begin, record.end - record.begin);
      summary.unread.push_back(encoding == CsvEncoding::kGbk ? platform::GbkToUtf8(raw)
                                                             : std::string(raw));
      summary.notes.push_back(TrF("line %s %s; it is kept as it is", line, why));
    };
    std::vector<std::string> fields = record.fields;
    const bool more = std::any_of(fields.begin() + std::min(fields.size(), header.size()),
                                  fields.end(), [](const std::string& f) { return !f.empty(); });
    if (more) {
      unread(TrF("has %s fields where the header names %s", std::to_string(fields.size()),
                 std::to_string(header.size())));
      continue;
    }
    fields.resize(header.size());
    EarlierDocument row;
    row.line = record.line;
    std::string* parts[] = {&row.account,
                            &row.year,
                            &row.period,
                            &row.record.export_name,
                            &row.record.result,
                            &row.record.seconds,
                            &row.record.checks,
                            &row.record.message,
                            &row.document,
                            &row.record.inputs.server,
                            &row.record.inputs.template_path,
                            &row.record.inputs.template_sha256,
                            &row.record.inputs.rules_sha256,
                            &row.record.facts.sha256,
                            &row.record.facts.period,
                            &row.record.facts.statements,
                            &row.record.facts.enterprise};
    std::string fault;
    for (std::size_t c = 0; c < header.size() && fault.empty(); ++c) {
      const std::optional<std::string> gbk = CsvFieldToGbk(encoding, fields[c], fault);
      if (gbk) *parts[c] = FromSpreadsheet(*gbk);
      if (!fault.empty()) fault = TrF("column %s: %s", std::to_string(c + 1), fault);
    }
    if (!fault.empty()) {
      unread(fault);
      continue;
    }
    if (row.record.result == "bad row") continue;
    if (header.size() < 9) {
      row.document = DocumentStem(row.account, "", row.year, row.period) + ".xml";
    }
    if (row.document.empty()) {
      unread(Tr("names no document"));
      continue;
    }
    const std::string account = WithLeadingZeros(row.account, row.document);
    if (account != row.account) {
      summary.notes.push_back(TrF("line %s gives the account of %s as %s: a spreadsheet program "
                                  "took away its leading zeros; it is read as %s",
                                  line, row.document, row.account, account));
      row.account = account;
    }
    const bool pending = row.record.result.rfind("pending (", 0) == 0;
    row.record.result = EarlierResult(row.record.result);
    row.record.inputs_known = header.size() >= 13 && !row.record.inputs.server.empty();
    row.made_and_passed = (row.record.result == "made" || row.record.result == "kept") &&
                          row.record.checks == "passed";
    (pending ? summary.pending : summary.rows).push_back(std::move(row));
  }
  return summary;
}

std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes) {
  return ReadSummaryRecord(bytes).rows;
}

const EarlierDocument* FindEarlier(const std::vector<EarlierDocument>& earlier,
                                   const std::string& document) {
  const std::string folded = FoldCaseAsWindows(document);
  const auto at = std::find_if(earlier.begin(), earlier.end(), [&](const EarlierDocument& row) {
    return FoldCaseAsWindows(row.document) == folded;
  });
  return at == earlier.end() ? nullptr : &*at;
}

bool MadeBefore(const std::vector<EarlierDocument>& earlier, const RowOutcome& row) {
  const EarlierDocument* before = FindEarlier(earlier, row.document);
  return before != nullptr && before->made_and_passed && !before->record.facts.sha256.empty() &&
         SameRow(*before, row);
}

bool MadeFromOtherInputs(const std::vector<EarlierDocument>& earlier, const RowOutcome& row) {
  const EarlierDocument* before = FindEarlier(earlier, row.document);
  return before != nullptr && before->record.inputs_known && !before->record.result.empty() &&
         !SameRow(*before, row);
}

}  // namespace vok::tool
