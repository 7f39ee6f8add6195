#include "platform/registry.h"

#include "platform/win32/unique_handle.h"

#include <cstring>
#include <vector>

namespace vok::platform {

std::optional<std::string> ReadMachineValue(const std::string& subkey,
                                            const std::string& valueName,
                                            std::size_t bufferBytes) {
  win32::RegistryKey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (bufferBytes > MAXDWORD) bufferBytes = MAXDWORD;
  std::vector<BYTE> buffer(bufferBytes == 0 ? 1 : bufferBytes);
  DWORD size = static_cast<DWORD>(bufferBytes);
  // A value longer than the buffer gives ERROR_MORE_DATA and counts as unreadable.
  if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, buffer.data(),
                         &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const char* bytes = reinterpret_cast<const char*>(buffer.data());
  const std::size_t read = size < bufferBytes ? size : bufferBytes;
  const void* zero = std::memchr(bytes, '\0', read);
  return std::string(bytes, zero != nullptr ? static_cast<const char*>(zero) - bytes : read);
}

}  // namespace vok::platform
