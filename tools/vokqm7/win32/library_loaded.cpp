// Windows: VOKQM7.dll found by the system's search order and its functions
// looked up by name, as a filing client does it.
#include "library.h"

#include "platform/win32/win32.h"

#include <string>

namespace vok::tool {
namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function, std::string& error) {
  FARPROC address = ::GetProcAddress(module, name);
  if (address == nullptr) {
    error = std::string("VOKQM7.dll has no function ") + name + " (error " +
            std::to_string(::GetLastError()) + ")";
    return false;
  }
  // The cast through a generic function pointer keeps -Wcast-function-type quiet.
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  return true;
}

}  // namespace

std::optional<LoadedLibrary> LoadVokLibrary(std::string& error) {
  HMODULE module = ::LoadLibraryA("VOKQM7.dll");
  if (module == nullptr) {
    error = "cannot load VOKQM7.dll (error " + std::to_string(::GetLastError()) + ")";
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
  char path[MAX_PATH] = "";
  const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
  library.location = length > 0 && length < MAX_PATH ? std::string(path, length) : "VOKQM7.dll";
  return library;
}

}  // namespace vok::tool
