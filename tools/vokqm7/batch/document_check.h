// show's reading and checks of a document the batch made, without the
// tables: whether it passed, and if not, the name of what failed or was not
// checked.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/checks.h"
#include "show/filing_document.h"
#include "checks/rule_file.h"

namespace vok::tool {

struct DocumentCheck {
  std::optional<FilingDocument> document;  // nothing when it cannot be read
  std::vector<CheckResult> checks;
  // "" when every check ran and passed; else the first failed check's
  // title, or why the document cannot be read, with how many more failed.
  std::string failure;
  // When nothing failed: "" when every statement was checked, else the
  // first statement that was not, with how many more.
  std::string not_checked;
  // The formats that judged its statements (JudgingFormats).
  std::string formats;
};

// Reads and checks the filing document at the GBK path as show does, under
// the layouts.
DocumentCheck CheckDocumentFile(const std::string& gbk_path, const std::vector<Layout>& layouts);

// The same of a document's bytes, read once: what is checked is then what
// is digested.
DocumentCheck CheckDocumentBytes(std::string_view bytes, const std::vector<Layout>& layouts);

}  // namespace vok::tool
