#include "batch/document_facts.h"

#include "bundle/sha256.h"
#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

std::string HeaderValue(const Statement& statement, const char* utf8_label) {
  const std::string label = platform::Utf8ToGbk(utf8_label);
  for (const HeaderField& field : statement.header) {
    if (field.label == label) return field.value;
  }
  return "";
}

std::string Digits(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

// "202611" of the shown "2026年11月" (or of "202611" where the words were
// not made of it).
std::string PeriodDigits(const std::string& shown) {
  const std::string year_mark = platform::Utf8ToGbk("年");
  const std::size_t year_end = shown.find(year_mark);
  if (year_end == std::string::npos) return Digits(shown);
  std::string month = Digits(shown.substr(year_end + year_mark.size()));
  if (month.size() == 1) month = "0" + month;
  return Digits(shown.substr(0, year_end)) + month;
}

}  // namespace

DocumentFacts FactsOf(std::string_view bytes, const std::optional<FilingDocument>& document) {
  DocumentFacts facts;
  facts.sha256 = Sha256Hex(bytes);
  if (!document) return facts;
  bool income = false, balance = false;
  for (const Statement& statement : document->statements) {
    const bool is_income = statement.kind == StatementKind::kIncomeStatement;
    income = income || is_income;
    balance = balance || !is_income;
    if (is_income && facts.period.empty()) {
      facts.period = PeriodDigits(HeaderValue(statement, "所属期"));
    }
    if (facts.enterprise.empty()) facts.enterprise = HeaderValue(statement, "编制单位");
  }
  facts.statements = income && balance ? "syb+zcfzb" : income ? "syb" : balance ? "zcfzb" : "";
  return facts;
}

std::string StatementsOf(const std::string& export_name, const std::string& type) {
  return export_name == "GetReportV2" ? type : "syb+zcfzb";
}

std::string ContentFault(const DocumentFacts& facts, const std::string& year,
                         const std::string& period, const std::string& statements) {
  if (facts.statements != statements) {
    return TrF("it holds the statements %s, not %s",
               facts.statements.empty() ? "-" : facts.statements, statements);
  }
  const std::string expected = year + (period.size() < 2 ? "0" : "") + period;
  if (!facts.period.empty() && facts.period != expected) {
    return TrF("it states the report period %s, not %s", facts.period, expected);
  }
  return "";
}

}  // namespace vok::tool
