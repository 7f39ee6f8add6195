#include "driver/install_location.h"

#include <optional>

#include "platform/registry.h"
#include "request/trace.h"

namespace vok {

std::string InstallLocationCache::Find() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!kept_.empty()) {
    trace::Record("install.location", {{"source", "cache"}, {"location", kept_}});
    return kept_;
  }
  std::optional<std::string> value = platform::ReadMachineValue(
      kInstallRegistrySubkey, kInstallRegistryValue, kInstallRegistryBufferBytes);
  if (value) {
    kept_ = *value + "\\vok";
    trace::Record("install.location",
                  {{"source", "registry"}, {"value", *value}, {"location", kept_}});
  } else {
    trace::Record("install.missing",
                  {{"key", kInstallRegistrySubkey}, {"value", kInstallRegistryValue}});
  }
  return kept_;
}

std::string FindInstallLocation() {
  static InstallLocationCache cache;
  return cache.Find();
}

}  // namespace vok
