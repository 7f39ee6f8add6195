#include "batch/summary.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "batch/accounts_file.h"
#include "batch/csv.h"
#include "language/language.h"
#include "platform/codepage.h"
#include "show/width.h"

namespace vok::tool {
namespace {

constexpr std::size_t kColumnCount = std::size(kSummaryColumns);

// The row's cells; `shown`: the result and checks in the tool's language,
// else as summary.csv has them.
std::vector<std::string> Fields(const RowOutcome& row, bool shown) {
  const auto words = [shown](const std::string& record) {
    return shown ? ShownWords(record) : record;
  };
  if (ShowsEarlier(row)) {
    return {row.account,               row.year,
            row.period,                row.earlier.export_name,
            words(ResultText(row)),    row.earlier.seconds,
            words(row.earlier.checks), row.earlier.message,
            row.document};
  }
  const bool ran = row.result == RowResult::kMade || row.result == RowResult::kFailed;
  return {row.account,            row.year,
          row.period,             row.export_name,
          words(ResultText(row)), ran ? SecondsText(row.seconds) : "",
          shown ? ShownChecks(row) : ChecksText(row), MessageText(row),
          row.document};
}

}  // namespace

bool ServerShown(const std::vector<RowOutcome>& rows) {
  std::map<std::string, std::string> servers;  // the first of each account
  for (const RowOutcome& row : rows) {
    if (row.result == RowResult::kBadRow) continue;
    const std::string& server = RecordedInputs(row).server;
    const auto [first, added] = servers.emplace(FoldCaseAsWindows(row.account), server);
    if (!added && first->second != server) return true;
  }
  return false;
}

std::vector<std::string> SummaryTable(const std::vector<RowOutcome>& rows) {
  std::vector<std::vector<std::string>> cells(1);
  for (const char* column : kSummaryColumns) cells.front().push_back(Tr(column));
  const bool servers = ServerShown(rows);
  constexpr std::size_t kServerAt = 3;  // after the period
  if (servers) cells.front().insert(cells.front().begin() + kServerAt, Tr("server"));
  for (const RowOutcome& row : rows) {
    cells.push_back(Fields(row, true));
    if (servers) cells.back().insert(cells.back().begin() + kServerAt, RecordedInputs(row).server);
    for (std::string& cell : cells.back()) cell = Printable(cell);
  }
  const std::size_t columns = cells.front().size();
  std::vector<int> widths(columns, 0);
  for (const std::vector<std::string>& line : cells) {
    for (std::size_t c = 0; c < columns; ++c) {
      widths[c] = std::max(widths[c], DisplayWidth(line[c]));
    }
  }
  std::vector<std::string> lines;
  for (const std::vector<std::string>& line : cells) {
    std::string text;
    for (std::size_t c = 0; c < columns; ++c) {
      text += c + 1 == columns ? line[c] : PadRight(line[c], widths[c]) + "  ";
    }
    lines.push_back(text.substr(0, text.find_last_not_of(' ') + 1));
  }
  return lines;
}

std::string SummaryCsv(const std::vector<RowOutcome>& rows,
                       const std::vector<std::string>& unread_lines) {
  // Programs and --resume read the column names and the result and checks
  // words: they stay English, untranslated, whatever the language.
  std::vector<std::string> header(std::begin(kSummaryColumns), std::end(kSummaryColumns));
  header.insert(header.end(), std::begin(kInputColumns), std::end(kInputColumns));
  header.insert(header.end(), std::begin(kDocumentColumns), std::end(kDocumentColumns));
  std::string gbk = CsvLine(header);
  for (const RowOutcome& row : rows) {
    std::vector<std::string> fields = Fields(row, false);
    const RowInputs& inputs = RecordedInputs(row);
    const DocumentFacts& facts = RecordedFacts(row);
    if (row.result != RowResult::kBadRow) {
      fields.insert(fields.end(), {inputs.server, inputs.template_path, inputs.template_sha256,
                                   inputs.rules_sha256, facts.sha256, facts.period,
                                   facts.statements, facts.enterprise});
    }
    fields.resize(header.size());
    for (std::string& field : fields) field = ForSpreadsheet(field);
    gbk += CsvLine(fields);
  }
  std::string csv = "\xEF\xBB\xBF" + platform::GbkToUtf8(gbk);
  for (const std::string& line : unread_lines) csv += line + "\r\n";
  return csv;
}

std::string SummaryTotals(const std::vector<RowOutcome>& rows) {
  std::size_t passed = 0, kept = 0, check_failed = 0, not_checked = 0, failed = 0, bad = 0,
              to_do = 0, not_in_run = 0;
  for (const RowOutcome& row : rows) {
    switch (row.result) {
      case RowResult::kKept: ++kept; [[fallthrough]];
      case RowResult::kMade:
        ++(row.checks == ChecksOutcome::kPassed       ? passed
           : row.checks == ChecksOutcome::kNotChecked ? not_checked
                                                      : check_failed);
        break;
      case RowResult::kFailed: ++failed; break;
      case RowResult::kBadRow: ++bad; break;
      case RowResult::kToDo: ++to_do; break;
      case RowResult::kNotInRun: ++not_in_run; break;
    }
  }
  const std::size_t in_run = rows.size() - not_in_run;
  std::string text =
      in_run == 1
          ? TrF("1 row: %s made and passed their checks", std::to_string(passed))
          : TrF("%s rows: %s made and passed their checks", std::to_string(in_run),
                std::to_string(passed));
  if (kept > 0) text += TrF(" (%s kept from an earlier run)", std::to_string(kept));
  if (check_failed > 0) text += TrF(", %s failed a check", std::to_string(check_failed));
  if (not_checked > 0) text += TrF(", %s not checked", std::to_string(not_checked));
  if (failed == 1) text += Tr(", 1 export failed");
  if (failed > 1) text += TrF(", %s exports failed", std::to_string(failed));
  if (bad == 1) text += Tr(", 1 bad row");
  if (bad > 1) text += TrF(", %s bad rows", std::to_string(bad));
  if (to_do > 0) text += TrF(", %s to do", std::to_string(to_do));
  if (not_in_run == 1) text += Tr("; 1 more row of the folder not in this run");
  if (not_in_run > 1) {
    text += TrF("; %s more rows of the folder not in this run", std::to_string(not_in_run));
  }
  return text;
}

}  // namespace vok::tool
