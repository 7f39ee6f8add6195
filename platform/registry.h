// Read access to the machine-wide configuration store (the registry).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vok::platform {

// Reads value `valueName` under HKEY_LOCAL_MACHINE\`subkey`, opened for
// reading only, into a buffer of `bufferBytes` bytes, whatever the value's
// type. Returns its bytes up to the first zero byte (all of them when there
// is none), or nothing when the key cannot be opened or the value cannot be
// read into the buffer (missing, or longer than the buffer).
[[nodiscard]] std::optional<std::string> ReadMachineValue(const std::string& subkey,
                                                          const std::string& valueName,
                                                          std::size_t bufferBytes);

}  // namespace vok::platform
