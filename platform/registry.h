// The configuration store (the registry): read access to the machine's
// part, and the current user's own values.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vok::platform {

// Where a read looked. 64-bit Windows keeps two views of
// HKEY_LOCAL_MACHINE\Software, one for 32-bit programs (seen from 64-bit
// code under Software\Wow6432Node) and one for 64-bit programs; a store
// without views is kSingle.
enum class RegistryView { kSingle, k32Bit, k64Bit };

// The views a read looked in, in the order it looked; a value that was
// read comes from the last of them.
using RegistryViews = std::vector<RegistryView>;

// Reads value `valueName` under HKEY_LOCAL_MACHINE\`subkey`, opened for
// reading only, into a buffer of `bufferBytes` bytes, whatever the value's
// type. Returns its bytes up to the first zero byte (all of them when there
// is none), or nothing when the key cannot be opened or the value cannot be
// read into the buffer (missing, or longer than the buffer). Which views it
// looked in goes to `searched` when that is given.
[[nodiscard]] std::optional<std::string> ReadMachineValue(const std::string& subkey,
                                                          const std::string& valueName,
                                                          std::size_t bufferBytes,
                                                          RegistryViews* searched = nullptr);

// The string value `valueName` under HKEY_CURRENT_USER\`subkey` (GBK), or
// nothing when it is missing, not a string or empty.
[[nodiscard]] std::optional<std::string> ReadUserValue(const std::string& subkey,
                                                       const std::string& valueName);

// Sets it, creating the key; false when it cannot be written.
[[nodiscard]] bool WriteUserValue(const std::string& subkey, const std::string& valueName,
                                  const std::string& value);

// Removes it; true also when there was none.
bool DeleteUserValue(const std::string& subkey, const std::string& valueName);

// The same for a string value under HKEY_LOCAL_MACHINE\`subkey`, for every
// user of the machine (Windows: in the 32-bit view, which ReadMachineValue
// reads first; writing it takes an administrator). False when it cannot be
// written or removed.
[[nodiscard]] bool WriteMachineValue(const std::string& subkey, const std::string& valueName,
                                     const std::string& value);
bool DeleteMachineValue(const std::string& subkey, const std::string& valueName);

}  // namespace vok::platform
