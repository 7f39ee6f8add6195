#include "batch/summary_html.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "batch/summary.h"
#include "language/language.h"
#include "login.h"
#include "platform/codepage.h"
#include "show/width.h"

namespace vok::tool {
namespace {

constexpr char kStyle[] = R"(
body { font-family: "Microsoft YaHei", "PingFang SC", "Noto Sans CJK SC", "WenQuanYi Micro Hei",
       "SimSun", sans-serif; font-size: 10.5pt; color: #111; margin: 1.5em; }
h1 { font-size: 15pt; margin: 0 0 0.3em; }
.totals { font-weight: bold; }
table { border-collapse: collapse; margin-top: 1em; }
th, td { border: 1px solid #999; padding: 2px 6px; vertical-align: top; text-align: left; }
thead th { background: #eee; }
td.seconds { text-align: right; font-variant-numeric: tabular-nums; }
tr.problem td.result, tr.problem td.checks { color: #b00020; font-weight: bold; }
tr.passed td.result, tr.passed td.checks { color: #1b6e20; }
tr.other td { color: #666; }
ol.failed { margin: 0.2em 0 0; padding-left: 1.4em; font-weight: normal; }
@media print { thead th { print-color-adjust: exact; -webkit-print-color-adjust: exact; } }
)";

std::string Html(const std::string& gbk) { return EscapeXml(Printable(gbk)); }

// Failures first: bad rows, failed exports, failed checks, rows not done,
// then the good ones, each in file order; last the folder's rows that this
// run did not touch.
int Rank(const RowOutcome& row) {
  switch (row.result) {
    case RowResult::kBadRow: return 0;
    case RowResult::kFailed: return 1;
    case RowResult::kToDo: return 3;
    case RowResult::kNotInRun: return 5;
    case RowResult::kMade:
    case RowResult::kKept: break;
  }
  return row.checks == ChecksOutcome::kPassed ? 4 : 2;
}

// A file name as a link's address: its UTF-8 bytes, those that are not
// letters, digits or "-._~" percent-encoded.
std::string Address(const std::string& gbk_name) {
  std::string address;
  for (unsigned char c : platform::GbkToUtf8(gbk_name)) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
        std::string_view("-._~").find(static_cast<char>(c)) != std::string_view::npos) {
      address += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      address += escaped;
    }
  }
  return address;
}

void AddRow(const RowOutcome& row, bool server, std::string& page) {
  const bool passed = Rank(row) == 4;
  const bool ran = row.result == RowResult::kMade || row.result == RowResult::kFailed;
  const bool earlier = ShowsEarlier(row);
  const std::string seconds = earlier ? row.earlier.seconds : ran ? SecondsText(row.seconds) : "";
  const std::string checks = earlier ? ShownWords(row.earlier.checks) : ShownChecks(row);
  const std::string message = earlier ? row.earlier.message : MessageText(row);
  const char* kind = passed ? "passed" : row.result == RowResult::kNotInRun ? "other" : "problem";
  page += std::string("<tr class=\"") + kind + "\"><td>" +
          Html(row.account) + "</td><td>" + Html(row.year) + "</td><td>" + Html(row.period) +
          (server ? "</td><td>" + Html(RecordedInputs(row).server) : std::string()) +
          "</td><td class=\"result\">" + Html(ShownWords(ResultText(row))) +
          "</td><td class=\"seconds\">" + Html(seconds) + "</td><td class=\"checks\">" + Html(checks);
  // Every failed check, where the summary names the first.
  if (!earlier && !row.failed_checks.empty()) {
    page += "<ol class=\"failed\">";
    for (const std::string& failed : row.failed_checks) page += "<li>" + Html(failed) + "</li>";
    page += "</ol>";
  }
  page += "</td><td>" + Html(message) + "</td><td>";
  if (!row.page.empty()) {
    page += "<a href=\"" + Address(row.page) + "\">" + Html(row.page) + "</a>";
  }
  page += "</td></tr>\n";
}

}  // namespace

std::string SummaryHtml(const std::vector<RowOutcome>& rows, const std::string& title) {
  std::vector<const RowOutcome*> ordered;
  for (const RowOutcome& row : rows) ordered.push_back(&row);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const RowOutcome* a, const RowOutcome* b) { return Rank(*a) < Rank(*b); });
  // The page keeps lang="zh-CN" in English too: the accounts' names and
  // the library's messages in it are Chinese, and the language picks their
  // glyphs.
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      Html(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
      Html(title) + "</h1>\n<p class=\"totals\">" + Html(SummaryTotals(rows)) + "</p>\n";
  const std::string export_name = rows.empty() ? "" : rows.front().export_name;
  page += "<p>" +
          TrF("Each document was made with %s and checked as %s checks it.", Html(export_name),
              "<code>vokqm7 show</code>") +
          "</p>\n<table>\n<thead><tr>";
  // The server where an account has documents of more than one.
  const bool server = ServerShown(rows);
  for (const char* column : kSummaryColumns) {
    if (std::string_view(column) != "export") page += "<th>" + Html(Tr(column)) + "</th>";
    if (server && std::string_view(column) == "period") {
      page += "<th>" + Html(Tr("server")) + "</th>";
    }
  }
  page += "</tr></thead>\n<tbody>\n";
  for (const RowOutcome* row : ordered) AddRow(*row, server, page);
  page += "</tbody>\n</table>\n</body>\n</html>\n";
  return page;
}

}  // namespace vok::tool
