// The batch's folder before a run: what a killed run left there, and
// whether a run could write its record there at all.
#pragma once

#include <string>
#include <vector>

namespace vok::tool {

// Removes what a killed batch left in the folder under temporary names:
// the half-written replacements of summary.csv and summary.html, and
// documents the library was still writing ("*.xml.part"). The names of
// the files removed (GBK); those that could not go are told on stderr.
std::vector<std::string> RemoveLeftTemporaries(const std::string& folder);

// "" when a run could make the folder (where it is missing) and replace
// its summary.csv; else why not, for people.
std::string FolderWriteFault(const std::string& folder);

}  // namespace vok::tool
