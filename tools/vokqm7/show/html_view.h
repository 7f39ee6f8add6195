// A filing document as one self-contained web page: the same tables and
// checks as the terminal shows, readable in a browser and printable on A4.
#pragma once

#include <string>
#include <vector>

#include "checks/checks.h"
#include "show/filing_document.h"

namespace vok::tool {

// The page as GBK text (to be written as UTF-8, which it declares), titled
// with `name`, the document's file name. It loads nothing from outside: its
// style is inline and its content security policy forbids everything else.
std::string RenderHtml(const FilingDocument& document, const std::vector<CheckResult>& checks,
                       const std::string& name);

}  // namespace vok::tool
