#include "desk_facts.h"

#include "platform/win32/win32.h"

#include "platform/files.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vok::tool {
namespace {

using platform::win32::UniqueHandle;

std::optional<DWORD> TokenNumber(TOKEN_INFORMATION_CLASS what) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::nullopt;
  const UniqueHandle token(raw);
  DWORD value = 0;
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), what, &value, sizeof value, &size)) return std::nullopt;
  return value;
}

std::string Narrow(const std::wstring& wide) {
  return platform::win32::WideToNarrow(platform::win32::kGbkCodePage, wide);
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[32768];
  const DWORD length = ::GetEnvironmentVariableW(name, value, 32768);
  return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

// The tool's own compatibility settings: what the process was started
// with, else what the registry keeps for its file (per user, then machine).
std::string CompatLayers() {
  std::wstring layers = Environment(L"__COMPAT_LAYER");
  if (!layers.empty()) return Narrow(layers);
  wchar_t self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (::RegGetValueW(root, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
                       self, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS) {
      return Narrow(value);
    }
  }
  return "";
}

std::vector<std::string> MappedDrives() {
  std::vector<std::string> drives;
  const DWORD letters = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((letters & (1u << i)) == 0) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
    if (::GetDriveTypeW(root) != DRIVE_REMOTE) continue;
    const wchar_t device[] = {root[0], L':', L'\0'};
    wchar_t target[MAX_PATH] = L"?";
    ::QueryDosDeviceW(device, target, MAX_PATH);
    drives.push_back(Narrow(std::wstring(device) + L" = " + target));
  }
  return drives;
}

// Folders Windows virtualizes for a program without a manifest: a copy of
// the folder under %LOCALAPPDATA%\VirtualStore, the drive letter left out.
std::optional<std::string> VirtualStoreShadow(const std::wstring& folder) {
  const std::wstring local = Environment(L"LOCALAPPDATA");
  if (local.empty() || folder.size() < 3 || folder[1] != L':') return std::nullopt;
  const std::wstring shadow = local + L"\\VirtualStore" + folder.substr(2);
  const DWORD attributes = ::GetFileAttributesW(shadow.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  return Narrow(shadow);
}

}  // namespace

DeskFacts ReadDeskFacts(const std::string& location) {
  DeskFacts facts;
  if (const std::optional<DWORD> elevated = TokenNumber(TokenElevation)) {
    facts.elevated = *elevated != 0;
  }
  if (const std::optional<DWORD> virtualized = TokenNumber(TokenVirtualizationEnabled)) {
    facts.virtualized = *virtualized != 0;
  }
  facts.compat_layers = CompatLayers();
  facts.mapped_drives = MappedDrives();
  if (!location.empty()) {
    const std::wstring folder = platform::win32::WidePath(location);
    facts.folder_on_network = platform::IsOnNetworkDrive(location);
    facts.virtual_store_shadow = VirtualStoreShadow(folder);
  }
  return facts;
}

}  // namespace vok::tool
