// batch --check: what a run would do, and what would keep it from doing
// it, told as the run would tell it, without running the report tool and
// without writing anything.
#pragma once

#include <string>
#include <vector>

#include "batch/accounts_file.h"
#include "batch/runner.h"

namespace vok::tool {

// The exit status: 3 when doctor finds a problem, 2 when summary.csv is no
// summary this tool wrote, 4 when DIR, a file the run writes (`written`:
// the summary's files; the documents and their pages the run's rows name)
// cannot be written or the volume has no room for the documents to make,
// 6 when another batch holds DIR, 1 for bad rows, else 0.
int CheckBatch(const AccountsFile& file, BatchSettings settings,
               const std::vector<std::string>& written);

}  // namespace vok::tool
