// --resume: which documents an earlier run of the same folder made and saw
// pass their checks, as its summary.csv tells.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

// One account, year and period that an earlier run made with an export and
// whose checks passed. GBK.
struct EarlierDocument {
  std::string account, year, period, export_name;
};

// The documents the summary's rows say were made ("made" or "kept") and
// passed their checks. Rows it cannot read count as not made, so what they
// stand for is done again; so is everything when the file is no summary.
std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes);

// Whether the earlier run made this document with the same export: a
// document of the other templates, under the same name, is made again.
bool MadeBefore(const std::vector<EarlierDocument>& earlier, const std::string& account,
                const std::string& year, const std::string& period,
                const std::string& export_name);

}  // namespace vok::tool
