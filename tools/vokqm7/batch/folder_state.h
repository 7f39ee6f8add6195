// The batch's folder before a run: what a killed run left there, and
// whether a run could write its record there at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vok::tool {

// The attribute bit of a folder (platform::GetFileAttributes).
inline constexpr std::uint32_t kFolderAttribute = 0x10;

// Removes what a killed batch left in the folder under temporary names:
// the half-written replacements of summary.csv, summary.html and the
// documents ("*.xml.part.tmp.*" while the library writes one), and
// documents not yet put in place ("*.xml.part"). Called only while the
// folder's lock is held, so that what another run writes is never among
// them. With `act` false, only the names. The names of the files removed
// (GBK); those that could not go are told on stderr.
std::vector<std::string> RemoveLeftTemporaries(const std::string& folder, bool act = true);

// "" when a run could make the folder (where it is missing) and make files
// in it; else why not, for people.
std::string FolderWriteFault(const std::string& folder);

// Why each of the files `names` of the folder that a run writes or
// replaces cannot be: a folder in its way, or read-only (which Windows
// does not replace). For people; empty when there is nothing in the way.
std::vector<std::string> FileWriteFaults(const std::string& folder,
                                         const std::vector<std::string>& names);

// What a run needs of the volume for each document it makes: the document
// while it is written and checked, its page, the summary's replacements.
inline constexpr std::uint64_t kBytesPerDocument = 256 * 1024;

// "" when the volume of the folder (or of the nearest folder above it that
// exists) has `needed` bytes free; else why not, for people, also when the
// free space cannot be told.
std::string SpaceFault(const std::string& folder, std::uint64_t needed);

}  // namespace vok::tool
