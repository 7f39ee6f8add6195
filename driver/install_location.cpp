#include "driver/install_location.h"

#include <optional>

#include "platform/registry.h"

namespace vok {

const std::string& InstallLocationCache::Find() {
  if (!kept_.empty()) return kept_;
  std::optional<std::string> value = platform::ReadMachineValue(
      kInstallRegistrySubkey, kInstallRegistryValue, kInstallRegistryBufferBytes);
  if (value) kept_ = *value + "\\vok";
  return kept_;
}

const std::string& FindInstallLocation() {
  static InstallLocationCache cache;
  return cache.Find();
}

}  // namespace vok
