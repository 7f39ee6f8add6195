// A filing document shown the way the people who check it read it: the show
// command, and --show of the commands that write one.
#pragma once

#include <string>

namespace vok::tool {

// Prints the filing document at the GBK path as tables in the terminal's
// encoding, then its checks. The exit status: success; a check failed; the
// export failed when the file is not a well-formed filing document; cannot
// run when the file cannot be read. On a failure only stderr is written.
int ShowFilingDocument(const std::string& gbk_path);

}  // namespace vok::tool
