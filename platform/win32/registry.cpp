#include "platform/registry.h"

#include "platform/win32/unique_handle.h"

#include <cstring>
#include <vector>

namespace vok::platform {
namespace {

struct ViewRead {
  std::optional<std::string> value;
  // The key or the value is not there, as opposed to there but unreadable.
  bool absent = false;
};

bool IsAbsent(LONG status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

// `view` is 0 for the process's own view, or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
ViewRead ReadInView(const std::string& subkey, const std::string& valueName,
                    std::size_t bufferBytes, REGSAM view) {
  win32::RegistryKey key;
  const LONG opened =
      ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ | view, key.put());
  if (opened != ERROR_SUCCESS) return {std::nullopt, IsAbsent(opened)};
  if (bufferBytes > MAXDWORD) bufferBytes = MAXDWORD;
  std::vector<BYTE> buffer(bufferBytes == 0 ? 1 : bufferBytes);
  DWORD size = static_cast<DWORD>(bufferBytes);
  // A value longer than the buffer gives ERROR_MORE_DATA and counts as unreadable.
  const LONG queried = ::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr,
                                          buffer.data(), &size);
  if (queried != ERROR_SUCCESS) return {std::nullopt, IsAbsent(queried)};
  const char* bytes = reinterpret_cast<const char*>(buffer.data());
  const std::size_t read = size < bufferBytes ? size : bufferBytes;
  const void* zero = std::memchr(bytes, '\0', read);
  return {std::string(bytes, zero != nullptr ? static_cast<const char*>(zero) - bytes : read)};
}

}  // namespace

// The accounting package is a 32-bit program and writes the 32-bit view,
// which is the view the 32-bit build reads by itself (under WoW64; on
// 32-bit Windows it is the only one). The 64-bit build would see the
// 64-bit view, so it asks for the 32-bit one first and turns to the 64-bit
// one only where the key or the value is not there at all: a value that
// is there but cannot be read (too long, no access) is the package's own
// record gone wrong, and another installation's value must not stand in
// for it.
std::optional<std::string> ReadMachineValue(const std::string& subkey,
                                            const std::string& valueName,
                                            std::size_t bufferBytes, RegistryViews* searched) {
  RegistryViews views{RegistryView::k32Bit};
  ViewRead found;
  if constexpr (sizeof(void*) == 4) {
    found = ReadInView(subkey, valueName, bufferBytes, 0);
  } else {
    found = ReadInView(subkey, valueName, bufferBytes, KEY_WOW64_32KEY);
    if (found.absent) {
      views.push_back(RegistryView::k64Bit);
      found = ReadInView(subkey, valueName, bufferBytes, KEY_WOW64_64KEY);
    }
  }
  if (searched != nullptr) *searched = views;
  return found.value;
}

std::optional<std::string> ReadUserValue(const std::string& subkey, const std::string& valueName) {
  win32::RegistryKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
    return std::nullopt;
  }
  std::vector<BYTE> buffer(size + 1, 0);
  if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, buffer.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string value(reinterpret_cast<const char*>(buffer.data()));
  if (value.empty()) return std::nullopt;
  return value;
}

namespace {

// `view` is 0, or KEY_WOW64_32KEY for the machine's values.
bool WriteValue(HKEY root, REGSAM view, const std::string& subkey, const std::string& valueName,
                const std::string& value) {
  win32::RegistryKey key;
  if (::RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return ::RegSetValueExA(key.get(), valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY root, REGSAM view, const std::string& subkey, const std::string& valueName) {
  win32::RegistryKey key;
  const LONG opened = ::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_SET_VALUE | view, key.put());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LONG deleted = ::RegDeleteValueA(key.get(), valueName.c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool WriteUserValue(const std::string& subkey, const std::string& valueName,
                    const std::string& value) {
  return WriteValue(HKEY_CURRENT_USER, 0, subkey, valueName, value);
}

bool DeleteUserValue(const std::string& subkey, const std::string& valueName) {
  return DeleteValue(HKEY_CURRENT_USER, 0, subkey, valueName);
}

// In the 32-bit view, the one ReadMachineValue looks in first from either
// build: a switch set by one build is the one the other reads.
bool WriteMachineValue(const std::string& subkey, const std::string& valueName,
                       const std::string& value) {
  return WriteValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, subkey, valueName, value);
}

bool DeleteMachineValue(const std::string& subkey, const std::string& valueName) {
  return DeleteValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, subkey, valueName);
}

}  // namespace vok::platform
