// The registry as a folder tree: HKEY_LOCAL_MACHINE\<subkey>\<value> is the
// file <root>/HKEY_LOCAL_MACHINE/<subkey>/<value>, its bytes the value's data.
#include "platform/registry.h"

#include <cstdlib>
#include <fcntl.h>

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

}  // namespace

std::optional<std::string> ReadMachineValue(const std::string& subkey,
                                            const std::string& valueName,
                                            std::size_t bufferBytes, RegistryViews* searched) {
  // One folder, no views.
  if (searched != nullptr) *searched = {RegistryView::kSingle};
  const char* root = std::getenv(kRootVariable);
  std::string path = root != nullptr && *root != '\0' ? root : kDefaultRoot;
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += "/HKEY_LOCAL_MACHINE";

  const auto key = posix::ToSystemPath(subkey);
  const auto name = posix::ToSystemPath(valueName);
  if (!key || !name) return std::nullopt;
  if (!AppendComponents(path, *key) || !AppendComponents(path, *name)) return std::nullopt;

  posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return std::nullopt;
  // One byte more than fits plus the line feed an editor adds is enough to
  // tell an oversized value.
  const std::size_t limit = bufferBytes < std::string::npos - 2 ? bufferBytes + 1 : bufferBytes;
  std::optional<std::string> data = posix::ReadAll(fd.Get(), limit);
  if (!data) return std::nullopt;
  if (!data->empty() && data->back() == '\n') data->pop_back();
  if (data->size() > bufferBytes) return std::nullopt;
  const std::size_t zero = data->find('\0');
  if (zero != std::string::npos) data->resize(zero);
  return data;
}

}  // namespace vok::platform
