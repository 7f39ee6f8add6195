#include "batch/resume.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "batch/accounts_file.h"
#include "batch/csv.h"
#include "batch/csv_encoding.h"

namespace vok::tool {
namespace {

// "made" of "to do (made)" or "not in this run (made)"; "" of a row that
// had no outcome; any other text as it is.
std::string EarlierResult(const std::string& result) {
  for (const std::string pending : {"to do", "not in this run"}) {
    if (result == pending) return "";
    const std::string open = pending + " (";
    if (result.rfind(open, 0) == 0 && result.size() > open.size() && result.back() == ')') {
      return result.substr(open.size(), result.size() - open.size() - 1);
    }
  }
  return result;
}

bool SameRow(const EarlierDocument& earlier, const RowOutcome& row) {
  return earlier.record.inputs_known && earlier.account == row.account &&
         earlier.year == row.year && earlier.period == row.period &&
         earlier.record.export_name == row.export_name && earlier.record.inputs == row.inputs;
}

}  // namespace

// summary.csv's column names and its result and checks words are English
// in every language, so that a run in one reads what a run in another wrote.
std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes) {
  const CsvEncoding encoding = DetectCsvEncoding(bytes);
  const CsvRecords csv = ReadCsv(CsvText(bytes, encoding));
  std::vector<EarlierDocument> rows;
  if (csv.records.empty()) return rows;
  const std::vector<std::string>& header = csv.records.front().fields;
  const auto column = [&](const char* name) -> std::optional<std::size_t> {
    const auto at = std::find(header.begin(), header.end(), name);
    if (at == header.end()) return std::nullopt;
    return static_cast<std::size_t>(at - header.begin());
  };
  const std::optional<std::size_t> columns[] = {
      column("account"), column("year"),    column("period"), column("export"),
      column("result"),  column("seconds"), column("checks"), column("message"),
      column("document"), column("server"), column("template"), column("template sha256"),
      column("rules sha256")};
  // The columns after the message came later; a summary may lack them.
  if (!std::all_of(std::begin(columns), std::begin(columns) + 8,
                   [](const std::optional<std::size_t>& c) { return c.has_value(); })) {
    return rows;
  }
  for (std::size_t r = 1; r < csv.records.size(); ++r) {
    const std::vector<std::string>& fields = csv.records[r].fields;
    if (fields.size() != header.size()) continue;
    EarlierDocument row;
    std::string* parts[] = {&row.account,        &row.year,           &row.period,
                            &row.record.export_name, &row.record.result, &row.record.seconds,
                            &row.record.checks,  &row.record.message, &row.document,
                            &row.record.inputs.server,
                            &row.record.inputs.template_path,
                            &row.record.inputs.template_sha256,
                            &row.record.inputs.rules_sha256};
    bool read = true;
    for (std::size_t p = 0; p < std::size(parts) && read; ++p) {
      if (!columns[p]) continue;
      std::string fault;
      const std::optional<std::string> gbk = CsvFieldToGbk(encoding, fields[*columns[p]], fault);
      read = gbk.has_value();
      if (read) *parts[p] = *gbk;
    }
    if (!read || row.record.result == "bad row") continue;
    if (!columns[8]) row.document = DocumentStem(row.account, "", row.year, row.period) + ".xml";
    if (row.document.empty()) continue;
    row.record.result = EarlierResult(row.record.result);
    row.record.inputs_known = columns[9] && columns[10] && columns[11] && columns[12] &&
                              !row.record.inputs.server.empty();
    row.made_and_passed = (row.record.result == "made" || row.record.result == "kept") &&
                          row.record.checks == "passed";
    rows.push_back(std::move(row));
  }
  return rows;
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
  return before != nullptr && before->made_and_passed && SameRow(*before, row);
}

bool MadeFromOtherInputs(const std::vector<EarlierDocument>& earlier, const RowOutcome& row) {
  const EarlierDocument* before = FindEarlier(earlier, row.document);
  return before != nullptr && before->record.inputs_known && !before->record.result.empty() &&
         !SameRow(*before, row);
}

}  // namespace vok::tool
