// What a batch row's document is made from, beyond the row itself: the
// template's content and the rules its checks ran with. --resume keeps a
// document only when these are what the earlier run recorded.
#pragma once

#include <string>
#include <vector>

#include "batch/outcome.h"

namespace vok::tool {

// SHA-256 of the file's bytes, in hex; "" when it cannot be read.
std::string FileSha256(const std::string& gbk_path);

// What every row of a batch shares of its inputs (the server left empty):
// one digest of the --rules files' bytes in order ("" without any), and
// for combined filings (`combined`) the installation's two templates of
// the export, "<income> + <balance>", with one digest of both ("" when one
// cannot be read).
RowInputs SharedInputs(bool combined, bool financial, const std::vector<std::string>& rule_files);

// The row's inputs: the shared ones with its server, and for a single
// statement its own template and that template's digest.
RowInputs RowInputsOf(const RowInputs& shared, const std::string& server,
                      const std::string& template_file);

}  // namespace vok::tool
