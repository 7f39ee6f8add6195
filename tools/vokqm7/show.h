// A filing document shown the way the people who check it read it: the show
// command, and --show of the commands that write one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "checks/checks.h"

#include <vector>

#include "show/filing_document.h"
#include "checks/rule_file.h"

namespace vok::tool {

// The filing document in a file's bytes, read as show reads it. Nothing,
// with `fault` saying why and `status` the exit status show gives for it:
// the export failed (1) when the bytes are no filing document that can be
// read, cannot run when the XML parser is not available or memory runs out.
std::optional<FilingDocument> ReadDocumentBytes(std::string_view bytes, std::string& fault,
                                                int& status);

// The shipped layouts and those of the rule files at the GBK paths (--rules).
// Nothing, with the reason told and `status` set, when a file cannot be read
// (cannot run) or is no rule file (bad usage; the message names the file,
// line and column).
std::optional<std::vector<Layout>> LayoutsWithRuleFiles(const std::vector<std::string>& gbk_paths,
                                                        int& status);

// The exit status of checks: a check failed, else not checked when a
// statement could not be checked, else success.
int ChecksExitStatus(const std::vector<CheckResult>& checks);

// Prints the filing document at the GBK path as tables in the terminal's
// encoding, then its checks under the layouts. The exit status: success when
// every statement was checked and every check passed; a check failed; not
// checked; the export failed (1) when the file is not a
// filing document that can be read (it does not decode, is not well-formed
// or is refused by the parser's limits); cannot run when the file cannot be
// read or the XML parser is not available. On a failure only stderr is
// written.
int ShowFilingDocument(const std::string& gbk_path,
                       const std::vector<Layout>& layouts = ShippedLayouts());

// --show: the document that an export has just written, as
// ShowFilingDocument shows it. The export itself succeeded, so a document
// that cannot be shown is a failed check (exit status 3, with a message that
// says so), not a failed export.
int ShowExportedDocument(const std::string& gbk_path);

}  // namespace vok::tool
