// What a Windows desk does to programs that the tool can see of itself:
// elevation, UAC virtualization, compatibility settings, mapped drives and
// virtualized copies of the installation folder. Every text is GBK. The
// POSIX stand-in has none of these: its facts are empty.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vok::tool {

struct DeskFacts {
  std::optional<bool> elevated;     // nothing where the system cannot say
  std::optional<bool> virtualized;  // UAC file and registry virtualization
  std::string compat_layers;        // compatibility settings the tool runs under
  std::vector<std::string> mapped_drives;  // "Z: = \\server\share"
  bool folder_on_network = false;
  // The installation folder's virtualized copy under the user's VirtualStore,
  // when there is one.
  std::optional<std::string> virtual_store_shadow;
};

// The facts of this process and of the installation folder `location`
// (GBK, may be empty).
DeskFacts ReadDeskFacts(const std::string& location);

}  // namespace vok::tool
