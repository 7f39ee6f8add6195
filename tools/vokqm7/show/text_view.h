// A filing document as a terminal shows it: each statement's header fields
// and its item lists as tables whose columns line up by display width, then
// the checks.
#pragma once

#include <string>
#include <vector>

#include "checks/checks.h"
#include "show/filing_document.h"

namespace vok::tool {

// Names wider than this many columns wrap onto further lines of their row.
inline constexpr int kNameColumns = 36;

// The lines to print, GBK, without line ends.
std::vector<std::string> RenderText(const FilingDocument& document,
                                    const std::vector<CheckResult>& checks);

}  // namespace vok::tool
