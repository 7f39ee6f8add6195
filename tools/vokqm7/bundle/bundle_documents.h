// support-bundle --with-documents: the filing document of this user's last
// call, and only that. A trace line that names a document may be another
// account's (a trace every account writes), or name a relative path that
// meant another folder, or a batch's ".part" that has been renamed since:
// each document is packed only when its call ran as this user, its path is
// absolute, it is a regular file of this user's read without following a
// link, and it reads as a filing document (DZSBB with its sections).
#pragma once

#include <string>
#include <vector>

#include "bundle/bundle_report.h"
#include "bundle/trace_allow_list.h"

namespace vok::tool {

// Looks at the documents the trace names, the last first, and packs the
// first that passes into `report` (entry "documents/<name>"); each one
// passed over goes to its left_out, with why.
void AddLastDocument(const std::vector<WrittenDocument>& written, BundleReport& report);

}  // namespace vok::tool
