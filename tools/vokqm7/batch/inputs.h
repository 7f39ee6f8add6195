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

// What every row of a batch shares: its templates (GBK paths), for
// combined filings (`combined`) the installation's two of the export and
// none else (a single statement's is the row's own); and its inputs, the
// server left empty, the combined filings' templates named
// "<income> + <balance>", with one digest of the --rules files' bytes in
// order ("" without any). No template is read: that is done for each
// document (RowInputsOf), as it may change during a run.
struct SharedInputs {
  std::vector<std::string> templates;
  RowInputs inputs;
};
SharedInputs ReadSharedInputs(bool combined, bool financial,
                              const std::vector<std::string>& rule_files);

// The row's inputs as they are now: the shared ones with its server, and
// the digest of the templates read now: the shared ones, or a single
// statement's own template (`template_file`, also named then). One
// digest of both of a combined filing's; "" when one cannot be read.
RowInputs RowInputsOf(const SharedInputs& shared, const std::string& server,
                      const std::string& template_file);

}  // namespace vok::tool
