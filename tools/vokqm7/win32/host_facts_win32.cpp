#include "bundle/host_facts.h"

#include "platform/win32/win32.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vok::tool {
namespace {

// RtlGetVersion tells the real version, where GetVersionEx tells what the
// program's manifest asks for.
std::string WindowsVersion() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto get = ntdll != nullptr ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(
                                    ::GetProcAddress(ntdll, "RtlGetVersion")))
                              : nullptr;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (get == nullptr || get(&info) != 0) return "Windows (version unknown)";
  return "Windows " + std::to_string(info.dwMajorVersion) + "." +
         std::to_string(info.dwMinorVersion) + " build " + std::to_string(info.dwBuildNumber);
}

// Wine's ntdll carries wine_get_version; Windows' does not.
std::string WineVersion() {
  using WineGetVersionFunction = const char*(CDECL*)(void);
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto get = ntdll != nullptr ? reinterpret_cast<WineGetVersionFunction>(reinterpret_cast<void*>(
                                    ::GetProcAddress(ntdll, "wine_get_version")))
                              : nullptr;
  const char* version = get != nullptr ? get() : nullptr;
  return version != nullptr ? version : "";
}

std::string LanguageName(LANGID language) {
  char name[86] = "";  // LOCALE_NAME_MAX_LENGTH
  const LCID locale = MAKELCID(language, SORT_DEFAULT);
  const int length = ::GetLocaleInfoA(locale, LOCALE_SNAME, name, sizeof name);
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%04X", language);
  return length > 1 ? std::string(name) + " (" + hex + ")" : std::string(hex);
}

std::string LocalTime(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME t{};
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &t)) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

// One view's value: `view` is KEY_WOW64_32KEY or KEY_WOW64_64KEY.
std::string ReadInView(const std::string& subkey, const std::string& value_name, REGSAM view) {
  platform::win32::RegistryKey key;
  const LONG opened =
      ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ | view, key.put());
  if (opened != ERROR_SUCCESS) return "no such key (error " + std::to_string(opened) + ")";
  char buffer[4096];
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  const LONG queried = ::RegQueryValueExA(key.get(), value_name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer), &size);
  if (queried != ERROR_SUCCESS) return "not readable (error " + std::to_string(queried) + ")";
  buffer[size] = '\0';
  return std::string(buffer) + (type == REG_SZ || type == REG_EXPAND_SZ ? "" : " (not a string)");
}

}  // namespace

Facts HostFacts() {
  Facts facts;
  facts.emplace_back("system", WindowsVersion());
  const std::string wine = WineVersion();
  facts.emplace_back("Wine", wine.empty() ? "no" : wine);
  facts.emplace_back("ANSI code page", std::to_string(::GetACP()));
  facts.emplace_back("user UI language", LanguageName(::GetUserDefaultUILanguage()));
  return facts;
}

Facts MachineValueByView(const std::string& subkey, const std::string& value_name) {
  return {{"32-bit view", ReadInView(subkey, value_name, KEY_WOW64_32KEY)},
          {"64-bit view", ReadInView(subkey, value_name, KEY_WOW64_64KEY)}};
}

std::vector<ListedEntry> ListFolder(const std::string& folder) {
  std::vector<ListedEntry> listing;
  // Walked through the wide functions, as every path of the layer is; a
  // name the ANSI code page cannot write is listed in UTF-16 escapes rather
  // than as a "?" that would name another file.
  const auto narrow = [](const std::wstring& name) {
    if (std::optional<std::string> text = platform::win32::NarrowWithoutLoss(name)) return *text;
    std::string escaped;
    for (wchar_t c : name) {
      char unit[16];
      std::snprintf(unit, sizeof unit, c < 0x80 ? "%c" : "\\u%04X", static_cast<unsigned>(c));
      escaped += unit;
    }
    return escaped;
  };
  std::function<void(const std::wstring&, const std::string&)> walk =
      [&](const std::wstring& system_folder, const std::string& below) {
        WIN32_FIND_DATAW found{};
        const platform::win32::FindHandle search(
            ::FindFirstFileW((system_folder + L"\\*").c_str(), &found));
        if (!search) return;
        std::vector<WIN32_FIND_DATAW> entries;
        do {
          const std::wstring name = found.cFileName;
          if (name != L"." && name != L"..") entries.push_back(found);
        } while (::FindNextFileW(search.get(), &found));
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
          return std::wstring(a.cFileName) < std::wstring(b.cFileName);
        });
        for (const WIN32_FIND_DATAW& data : entries) {
          ListedEntry entry;
          const std::string name = narrow(data.cFileName);
          entry.path = below.empty() ? name : below + "\\" + name;
          entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
          entry.bytes = entry.folder ? 0
                                     : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                           data.nFileSizeLow;
          entry.modified = LocalTime(data.ftLastWriteTime);
          listing.push_back(entry);
          if (entry.folder) walk(system_folder + L"\\" + data.cFileName, entry.path);
        }
      };
  walk(platform::win32::WidePath(folder), "");
  return listing;
}

}  // namespace vok::tool
