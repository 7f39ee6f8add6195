#include "show/html_view.h"

#include <algorithm>

#include "language/language.h"
#include "login.h"
#include "platform/codepage.h"
#include "show/width.h"

namespace vok::tool {
namespace {

constexpr char kStyle[] = R"(
@page { size: A4; margin: 15mm 14mm 16mm; }
body { font-family: "Microsoft YaHei", "PingFang SC", "Noto Sans CJK SC", "WenQuanYi Micro Hei",
       "SimSun", sans-serif; font-size: 10.5pt; line-height: 1.45; color: #111;
       max-width: 182mm; margin: 1.5em auto; padding: 0 1em; }
h1 { font-size: 15pt; margin: 0 0 0.3em; }
h2 { font-size: 13pt; margin: 1.4em 0 0.4em; padding-bottom: 2px; border-bottom: 2px solid #333; }
.element { font-size: 9pt; font-weight: normal; color: #555; }
.summary { margin: 0 0 1em; font-weight: bold; }
.summary.failed, .summary.failed a, li.failed .outcome { color: #b00020; }
.summary.passed, li.passed .outcome { color: #1b6e20; }
li.unchecked .outcome { color: #8a5a00; }
li.note .outcome { color: #555; }
tr.failed td { background: #fde2e4; font-weight: bold; }
dl.header { display: flex; flex-wrap: wrap; gap: 0.15em 1.6em; margin: 0.3em 0 0.8em; }
dl.header div { display: flex; }
dl.header dt::after { content: "\FF1A"; }  /* the full-width colon */
dl.header dd { margin: 0; }
table { width: 100%; border-collapse: collapse; margin: 0.3em 0 1em; }
caption { caption-side: top; text-align: left; font-weight: bold; padding: 0.2em 0; }
th, td { border: 1px solid #999; padding: 2px 6px; vertical-align: top; }
thead th { background: #eee; }
.line { width: 3.5em; text-align: center; white-space: nowrap; }
td.name { overflow-wrap: anywhere; }
.amount { width: 9.5em; text-align: right; white-space: nowrap;
          font-variant-numeric: tabular-nums; }
tr { break-inside: avoid; }
thead { display: table-header-group; }
ul.checks { list-style: none; padding: 0; }
ul.checks > li { margin: 0.3em 0; }
.outcome { display: inline-block; min-width: 6.5em; font-weight: bold; }
ul.details { margin: 0.1em 0 0 6.5em; padding-left: 1em; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 10pt; }
  section.statement + section.statement { break-before: page; }
  h2, caption { break-after: avoid; }
  thead th, tr.failed td { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
)";

std::string Html(const std::string& gbk) { return EscapeXml(Printable(gbk)); }

// Rows of the items a failed rule names are highlighted, the rules they
// failed under in their tooltip.
void AddTable(const ItemList& list, const std::vector<std::string>& failed_under,
              std::string& page) {
  page += "<table class=\"items\">";
  if (!list.heading.empty()) page += "<caption>" + Html(list.heading) + "</caption>";
  page += "<thead><tr><th class=\"line\">" + platform::Utf8ToGbk("行次") +
          "</th><th class=\"name\">" + platform::Utf8ToGbk("项目") + "</th>";
  for (const AmountColumn& column : list.columns) {
    page += "<th class=\"amount\">" + Html(column.title) + "</th>";
  }
  page += "</tr></thead><tbody>\n";
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    const StatementItem& item = list.items[i];
    page += (failed_under[i].empty() ? std::string("<tr>")
                                     : "<tr class=\"failed\" title=\"" + Html(failed_under[i]) + "\">") +
            "<td class=\"line\">" +
            Html(item.line) + "</td><td class=\"name\">" +
            Html(item.name) + "</td>";
    for (const std::optional<std::string>& amount : item.amounts) {
      page += "<td class=\"amount\">" + Html(amount.value_or("")) + "</td>";
    }
    page += "</tr>\n";
  }
  page += "</tbody></table>\n";
}

void AddStatement(const Statement& statement, std::size_t index,
                  const std::vector<CheckResult>& checks, std::string& page) {
  const std::string id =
      statement.element + (statement.number > 0 ? "-" + std::to_string(statement.number) : "");
  page += "<section class=\"statement\" id=\"" + id + "\"><h2>" +
          Html(StatementName(statement)) + " <span class=\"element\">" + statement.element +
          "</span></h2>\n<dl class=\"header\">";
  for (const HeaderField& field : statement.header) {
    page += "<div><dt>" + Html(field.label) + "</dt><dd>" + Html(field.value) + "</dd></div>";
  }
  page += "</dl>\n";
  bool any_items = false;
  for (std::size_t l = 0; l < statement.lists.size(); ++l) {
    const ItemList& list = statement.lists[l];
    if (list.items.empty()) continue;
    any_items = true;
    std::vector<std::string> failed_under(list.items.size());
    for (const CheckResult& check : checks) {
      if (check.outcome != CheckResult::Outcome::kFailed) continue;
      for (const ItemPlace& place : check.marked) {
        if (place.statement != index || place.list != l) continue;
        std::string& rules = failed_under[place.item];
        rules += (rules.empty() ? "" : "; ") + check.title;
      }
    }
    AddTable(list, failed_under, page);
  }
  if (!any_items) page += "<p>" + platform::Utf8ToGbk("（无项目）") + "</p>\n";
  page += "</section>\n";
}

void AddChecks(const std::vector<CheckResult>& checks, std::string& page) {
  page += "<section class=\"checks\" id=\"checks\"><h2>" + Tr("Checks") +
          "</h2><ul class=\"checks\">\n";
  for (const CheckResult& check : checks) {
    using Outcome = CheckResult::Outcome;
    const char* outcome = check.outcome == Outcome::kPassed   ? "passed"
                          : check.outcome == Outcome::kFailed ? "failed"
                          : check.outcome == Outcome::kNote || check.outcome == Outcome::kNotCompared
                              ? "note"
                              : "unchecked";
    page += std::string("<li class=\"") + outcome + "\"><span class=\"outcome\">" +
            OutcomeWord(check.outcome) + "</span>" + Html(check.title);
    if (!check.details.empty()) {
      page += "<ul class=\"details\">";
      for (const std::string& detail : check.details) page += "<li>" + Html(detail) + "</li>";
      page += "</ul>";
    }
    page += "</li>\n";
  }
  page += "</ul></section>\n";
}

}  // namespace

std::string RenderHtml(const FilingDocument& document, const std::vector<CheckResult>& checks,
                       const std::string& name) {
  const std::size_t failed = static_cast<std::size_t>(std::count_if(
      checks.begin(), checks.end(),
      [](const CheckResult& check) { return check.outcome == CheckResult::Outcome::kFailed; }));
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      Html(name) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" + Html(name) +
      "</h1>\n";
  const std::string count = std::to_string(failed);
  if (failed > 0) {
    page += "<p class=\"summary failed\">" +
            (failed == 1 ? TrF("<a href=\"#checks\">%s check failed</a>.", count)
                         : TrF("<a href=\"#checks\">%s checks failed</a>.", count)) +
            "</p>\n";
  } else if (AnyNotChecked(checks)) {
    page += "<p class=\"summary failed\">" +
            Tr("<a href=\"#checks\">No check failed, but a statement was not checked</a>.") +
            "</p>\n";
  } else {
    page += "<p class=\"summary passed\">" + Tr("No check failed.") + "</p>\n";
  }
  for (std::size_t s = 0; s < document.statements.size(); ++s) {
    AddStatement(document.statements[s], s, checks, page);
  }
  AddChecks(checks, page);
  page += "</body>\n</html>\n";
  return page;
}

}  // namespace vok::tool
