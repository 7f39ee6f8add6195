// The bundle's texts about the desk: versions.txt, registry.txt and
// installation.txt (GBK, as every text of the tool).
#pragma once

#include <optional>
#include <string>

#include "request/trace.h"

namespace vok::tool {

// The tool's and the library's versions (bitness and SHA-256 from the
// library file itself), then the host's facts.
std::string VersionsText();

// VOKCONFIGFILE in each registry view, and the trace switch.
std::string RegistryText(const std::optional<trace::Setting>& setting);

// The installation folder the registry value names, listed.
std::string InstallationText(const std::optional<std::string>& value);

}  // namespace vok::tool
