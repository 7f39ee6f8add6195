#include "batch/document_check.h"

#include <algorithm>

#include "language/language.h"
#include "output.h"
#include "show.h"

namespace vok::tool {

namespace {

// The first check of the outcome's title, "(and N more)" after it, or "".
std::string FirstOf(const std::vector<CheckResult>& checks, CheckResult::Outcome outcome) {
  const auto is = [outcome](const CheckResult& result) { return result.outcome == outcome; };
  const auto first = std::find_if(checks.begin(), checks.end(), is);
  if (first == checks.end()) return "";
  std::string text = first->title;
  const auto more = std::count_if(first + 1, checks.end(), is);
  if (more > 0) text += TrF(" (and %s more)", std::to_string(more));
  return text;
}

}  // namespace

DocumentCheck CheckDocumentFile(const std::string& gbk_path, const std::vector<Layout>& layouts) {
  const std::optional<std::string> bytes = ReadFileBytes(gbk_path);
  if (!bytes) {
    DocumentCheck check;
    check.failure = Tr("the document cannot be read back");
    return check;
  }
  return CheckDocumentBytes(*bytes, layouts);
}

DocumentCheck CheckDocumentBytes(std::string_view bytes, const std::vector<Layout>& layouts) {
  DocumentCheck check;
  std::string fault;
  int status = 0;
  check.document = ReadDocumentBytes(bytes, fault, status);
  if (!check.document) {
    check.failure = TrF("the document cannot be shown: %s", fault);
    return check;
  }
  check.checks = CheckFilingDocument(*check.document, layouts);
  check.formats = JudgingFormats(check.checks);
  check.failure = FirstOf(check.checks, CheckResult::Outcome::kFailed);
  if (check.failure.empty()) {
    check.not_checked = FirstOf(check.checks, CheckResult::Outcome::kAllZero);
    if (check.not_checked.empty()) {
      check.not_checked = FirstOf(check.checks, CheckResult::Outcome::kNotChecked);
    }
  }
  return check;
}

}  // namespace vok::tool
