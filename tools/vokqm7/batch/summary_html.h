// summary.html: the batch's summary as one self-contained page, failures
// first, each made document linked to its own page (show --html).
#pragma once

#include <string>
#include <vector>

#include "batch/outcome.h"

namespace vok::tool {

// The page as GBK text, to be written as UTF-8 (which it declares), titled
// with `title`.
std::string SummaryHtml(const std::vector<RowOutcome>& rows, const std::string& title);

}  // namespace vok::tool
