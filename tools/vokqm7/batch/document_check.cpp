#include "batch/document_check.h"

#include <algorithm>

#include "output.h"
#include "show.h"

namespace vok::tool {

DocumentCheck CheckDocumentFile(const std::string& gbk_path) {
  DocumentCheck check;
  const std::optional<std::string> bytes = ReadFileBytes(gbk_path);
  if (!bytes) {
    check.failure = "the document cannot be read back";
    return check;
  }
  std::string fault;
  int status = 0;
  check.document = ReadDocumentBytes(*bytes, fault, status);
  if (!check.document) {
    check.failure = "the document cannot be shown: " + fault;
    return check;
  }
  check.checks = CheckFilingDocument(*check.document);
  const auto failed = [](const CheckResult& result) {
    return result.outcome == CheckResult::Outcome::kFailed;
  };
  const auto first = std::find_if(check.checks.begin(), check.checks.end(), failed);
  if (first == check.checks.end()) return check;
  check.failure = first->title;
  const auto more = std::count_if(first + 1, check.checks.end(), failed);
  if (more > 0) check.failure += " (and " + std::to_string(more) + " more)";
  return check;
}

}  // namespace vok::tool
