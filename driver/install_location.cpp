#include "driver/install_location.h"

#include <optional>

#include "platform/registry.h"

namespace vok {

std::string InstallLocationCache::Find() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!kept_.empty()) return kept_;
  std::optional<std::string> value = platform::ReadMachineValue(
      kInstallRegistrySubkey, kInstallRegistryValue, kInstallRegistryBufferBytes);
  if (value) kept_ = *value + "\\vok";
  return kept_;
}

std::string FindInstallLocation() {
  static InstallLocationCache cache;
  return cache.Find();
}

}  // namespace vok
