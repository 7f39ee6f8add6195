// VOKQM7.dll as the filing client uses it: loaded at run time with
// LoadLibraryA, its functions found with GetProcAddress.
#pragma once

#include <string>

#include "windows_headers.h"

#include "vokqm7.h"

namespace vok::wine_test {

// GetProcAddress gives a FARPROC; going through void(*)() keeps the cast to
// the real signature free of -Wcast-function-type.
template <typename Function>
Function AsFunction(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// Loads VOKQM7.dll from the test program's folder and frees it when it goes.
// Each new load starts with the library's state as at process start (the
// cached install location included) once no other load holds it.
class VokLibrary {
 public:
  VokLibrary();
  ~VokLibrary();
  VokLibrary(const VokLibrary&) = delete;
  VokLibrary& operator=(const VokLibrary&) = delete;

  [[nodiscard]] bool loaded() const { return module_ != nullptr; }
  [[nodiscard]] DWORD load_error() const { return load_error_; }

  [[nodiscard]] FARPROC ByName(const char* name) const;
  [[nodiscard]] FARPROC ByOrdinal(unsigned ordinal) const;

  // The six exports, typed as the header declares them; a test that calls
  // one through a null pointer would crash, so these throw instead.
  decltype(&::GetVersionQM7) GetVersionQM7() const;
  decltype(&::GetReportDate) GetReportDate() const;
  decltype(&::GetReport) GetReport() const;
  decltype(&::GetReportV2) GetReportV2() const;
  decltype(&::OpenReportV2) OpenReportV2() const;
  decltype(&::GetReportDateV2) GetReportDateV2() const;

 private:
  FARPROC Required(const char* name) const;

  HMODULE module_ = nullptr;
  DWORD load_error_ = 0;
};

// True while any VOKQM7.dll is mapped into this process.
bool VokLibraryIsMapped();

}  // namespace vok::wine_test
