// Windows: VOKQM7.dll found by the system's search order and its functions
// looked up by name, as a filing client does it; the path and version
// resource of the module that was loaded, for the support engineer.
#include "library.h"

#include "language/language.h"
#include "platform/win32/text.h"
#include "platform/win32/win32.h"

#include <cstring>
#include <string>
#include <vector>

namespace vok::tool {
namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function, std::string& error) {
  FARPROC address = ::GetProcAddress(module, name);
  if (address == nullptr) {
    error = TrF("VOKQM7.dll has no function %s (error %s)", name,
                std::to_string(::GetLastError()));
    return false;
  }
  // The cast through a generic function pointer keeps -Wcast-function-type quiet.
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  return true;
}

// The version resource of the module's file, read with the version APIs:
// the fixed file version and the product version text, as Explorer shows
// them in the file's properties.
std::string FileVersion(const wchar_t* path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    return TrF("unknown (no version resource, error %s)", std::to_string(::GetLastError()));
  }
  std::vector<unsigned char> block(size);
  if (!::GetFileVersionInfoW(path, 0, size, block.data())) {
    return TrF("unknown (the version resource cannot be read, error %s)",
               std::to_string(::GetLastError()));
  }
  void* value = nullptr;
  UINT length = 0;
  std::string text;
  if (::VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\ProductVersion", &value,
                       &length) &&
      length > 0) {
    // The length counts characters and, on some systems, the terminator.
    const char* chars = static_cast<const char*>(value);
    text = std::string(chars, ::strnlen(chars, length));
  }
  if (::VerQueryValueA(block.data(), "\\", &value, &length) &&
      length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionLS));
    text = text.empty() ? TrF("file version %s", numbers)
                        : TrF("%s (file version %s)", text, numbers);
  }
  return text.empty() ? Tr("unknown (the version resource holds no version)") : text;
}

}  // namespace

std::optional<LoadedLibrary> LoadVokLibrary(std::string& error) {
  HMODULE module = ::LoadLibraryA("VOKQM7.dll");
  if (module == nullptr) {
    error = TrF("cannot load VOKQM7.dll (error %s)", std::to_string(::GetLastError()));
    return std::nullopt;
  }
  LoadedLibrary library;
  library.handle.reset(static_cast<void*>(module),
                       [](void* loaded) { ::FreeLibrary(static_cast<HMODULE>(loaded)); });
  LibraryFunctions& f = library.functions;
  if (!Find(module, "GetVersionQM7", f.get_version, error) ||
      !Find(module, "GetReportDate", f.get_report_date, error) ||
      !Find(module, "GetReport", f.get_report, error) ||
      !Find(module, "GetReportV2", f.get_report_v2, error) ||
      !Find(module, "OpenReportV2", f.open_report_v2, error) ||
      !Find(module, "GetReportDateV2", f.get_report_date_v2, error)) {
    return std::nullopt;
  }
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  const bool known = length > 0 && length < MAX_PATH;
  library.location = known ? platform::win32::NarrowWithoutLoss(std::wstring_view(path, length))
                                 .value_or("VOKQM7.dll")
                           : "VOKQM7.dll";
  library.file_version =
      known ? FileVersion(path) : Tr("unknown (the module's path cannot be read)");
  return library;
}

}  // namespace vok::tool
