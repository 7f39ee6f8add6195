// The registry as a folder tree: HKEY_LOCAL_MACHINE\<subkey>\<value> is the
// file <root>/HKEY_LOCAL_MACHINE/<subkey>/<value>, its bytes the value's data;
// HKEY_CURRENT_USER likewise.
#include "platform/registry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"

namespace vok::platform {
namespace {

constexpr const char* kRootVariable = "VOKQM7_REGISTRY";
constexpr const char* kDefaultRoot = "/etc/vokqm7/registry";

// Appends the non-empty components of `relative` to `path`, one slash
// each. "." and ".." are refused so a name cannot leave the store.
bool AppendComponents(std::string& path, const std::string& relative) {
  std::size_t start = 0;
  bool any = false;
  while (start <= relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string_view part(relative.data() + start, end - start);
    if (part == "." || part == "..") return false;
    if (!part.empty()) {
      path += '/';
      path += part;
      any = true;
    }
    start = end + 1;
  }
  return any;
}

// <root>/<hive>/<subkey>/<value name>, or nothing when a name would leave
// the store or is no valid GBK.
std::optional<std::string> ValueFile(const char* hive, const std::string& subkey,
                                     const std::string& valueName) {
  const char* root = std::getenv(kRootVariable);
  std::string path = root != nullptr && *root != '\0' ? root : kDefaultRoot;
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += '/';
  path += hive;
  const auto key = posix::ToSystemPath(subkey);
  const auto name = posix::ToSystemPath(valueName);
  if (!key || !name) return std::nullopt;
  if (!AppendComponents(path, *key) || !AppendComponents(path, *name)) return std::nullopt;
  return path;
}

// One byte more than fits plus the line feed an editor adds is enough to
// tell an oversized value.
std::optional<std::string> ReadValueFile(const std::string& path, std::size_t bufferBytes) {
  posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  const std::size_t limit = bufferBytes < std::string::npos - 2 ? bufferBytes + 1 : bufferBytes;
  std::optional<std::string> data = posix::ReadAll(fd.get(), limit);
  if (!data) return std::nullopt;
  if (!data->empty() && data->back() == '\n') data->pop_back();
  if (data->size() > bufferBytes) return std::nullopt;
  const std::size_t zero = data->find('\0');
  if (zero != std::string::npos) data->resize(zero);
  return data;
}

constexpr std::size_t kUserValueLimit = 32767;

}  // namespace

std::optional<std::string> ReadMachineValue(const std::string& subkey,
                                            const std::string& valueName,
                                            std::size_t bufferBytes, RegistryViews* searched) {
  // One folder, no views.
  if (searched != nullptr) *searched = {RegistryView::kSingle};
  const std::optional<std::string> path = ValueFile("HKEY_LOCAL_MACHINE", subkey, valueName);
  if (!path) return std::nullopt;
  return ReadValueFile(*path, bufferBytes);
}

std::optional<std::string> ReadUserValue(const std::string& subkey, const std::string& valueName) {
  const std::optional<std::string> path = ValueFile("HKEY_CURRENT_USER", subkey, valueName);
  if (!path) return std::nullopt;
  std::optional<std::string> value = ReadValueFile(*path, kUserValueLimit);
  if (!value || value->empty()) return std::nullopt;
  return value;
}

namespace {

bool WriteValue(const char* hive, const std::string& subkey, const std::string& valueName,
                const std::string& value) {
  const std::optional<std::string> path = ValueFile(hive, subkey, valueName);
  if (!path) return false;
  // The key's folders, one by one.
  for (std::size_t slash = path->find('/', 1); slash != std::string::npos;
       slash = path->find('/', slash + 1)) {
    if (::mkdir(path->substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  posix::UniqueFd fd(::open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  return fd.valid() && posix::WriteAll(fd.get(), value + "\n") && fd.close();
}

bool DeleteValue(const char* hive, const std::string& subkey, const std::string& valueName) {
  const std::optional<std::string> path = ValueFile(hive, subkey, valueName);
  if (!path) return false;
  return ::unlink(path->c_str()) == 0 || errno == ENOENT;
}

}  // namespace

bool WriteUserValue(const std::string& subkey, const std::string& valueName,
                    const std::string& value) {
  return WriteValue("HKEY_CURRENT_USER", subkey, valueName, value);
}

bool DeleteUserValue(const std::string& subkey, const std::string& valueName) {
  return DeleteValue("HKEY_CURRENT_USER", subkey, valueName);
}

bool WriteMachineValue(const std::string& subkey, const std::string& valueName,
                       const std::string& value) {
  return WriteValue("HKEY_LOCAL_MACHINE", subkey, valueName, value);
}

bool DeleteMachineValue(const std::string& subkey, const std::string& valueName) {
  return DeleteValue("HKEY_LOCAL_MACHINE", subkey, valueName);
}

}  // namespace vok::platform
