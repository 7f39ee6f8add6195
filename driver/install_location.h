// Finding the report tool's installation folder, the InstallLocation.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

namespace vok {

// Where the package's installer records its folder, under HKEY_LOCAL_MACHINE.
inline constexpr char kInstallRegistrySubkey[] = "Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst\\";
inline constexpr char kInstallRegistryValue[] = "VOKCONFIGFILE";
inline constexpr std::size_t kInstallRegistryBufferBytes = 260;

// Keeps the InstallLocation once found: the registry is read until a lookup
// succeeds and never again after that. Safe to call from several threads at
// once: a filing client may file for several enterprises from worker threads.
class InstallLocationCache {
 public:
  // The registry value followed by "\vok", or an empty text when the value
  // cannot be read. Whether the folder exists is not tested.
  std::string Find();

 private:
  std::mutex mutex_;
  std::string kept_;
};

// The process-wide InstallLocation, kept until the library is unloaded.
std::string FindInstallLocation();

}  // namespace vok
