// What a support bundle tells of the machine, where the hosts differ: the
// system and its version, the code page and language the user works in,
// the package's registry value in each registry view, and folder listings.
// Every text is GBK, as everywhere in the tool.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vok::tool {

// Named facts, one "name: value" line each in versions.txt.
using Facts = std::vector<std::pair<std::string, std::string>>;

// The system and its version, Wine's version where the tool runs under
// Wine, the ANSI code page and the user's UI language.
Facts HostFacts();

// The value `value_name` under HKEY_LOCAL_MACHINE\`subkey` in each registry
// view there is, each with what was found or why nothing was.
Facts MachineValueByView(const std::string& subkey, const std::string& value_name);

struct ListedEntry {
  std::string path;  // below the listed folder, components joined by '\'
  bool folder = false;
  std::uint64_t bytes = 0;
  std::string modified;  // local time, "YYYY-MM-DD HH:MM:SS"
};

// Everything below `folder`, folders before their contents, each folder's
// entries in name order; nothing when it cannot be read.
std::vector<ListedEntry> ListFolder(const std::string& folder);

}  // namespace vok::tool
