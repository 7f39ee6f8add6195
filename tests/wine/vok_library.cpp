#include "vok_library.h"

#include <stdexcept>

namespace vok::wine_test {

VokLibrary::VokLibrary() {
  module_ = LoadLibraryA("VOKQM7.dll");
  if (module_ == nullptr) load_error_ = GetLastError();
}

VokLibrary::~VokLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

FARPROC VokLibrary::ByName(const char* name) const {
  return module_ != nullptr ? GetProcAddress(module_, name) : nullptr;
}

FARPROC VokLibrary::ByOrdinal(unsigned ordinal) const {
  return module_ != nullptr ? GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)) : nullptr;
}

FARPROC VokLibrary::Required(const char* name) const {
  FARPROC address = ByName(name);
  if (address == nullptr) {
    throw std::runtime_error(std::string("VOKQM7.dll does not export ") + name +
                             (module_ == nullptr ? " (not loaded, error " +
                                                       std::to_string(load_error_) + ")"
                                                 : ""));
  }
  return address;
}

decltype(&::GetVersionQM7) VokLibrary::GetVersionQM7() const {
  return AsFunction<decltype(&::GetVersionQM7)>(Required("GetVersionQM7"));
}
decltype(&::GetReportDate) VokLibrary::GetReportDate() const {
  return AsFunction<decltype(&::GetReportDate)>(Required("GetReportDate"));
}
decltype(&::GetReport) VokLibrary::GetReport() const {
  return AsFunction<decltype(&::GetReport)>(Required("GetReport"));
}
decltype(&::GetReportV2) VokLibrary::GetReportV2() const {
  return AsFunction<decltype(&::GetReportV2)>(Required("GetReportV2"));
}
decltype(&::OpenReportV2) VokLibrary::OpenReportV2() const {
  return AsFunction<decltype(&::OpenReportV2)>(Required("OpenReportV2"));
}
decltype(&::GetReportDateV2) VokLibrary::GetReportDateV2() const {
  return AsFunction<decltype(&::GetReportDateV2)>(Required("GetReportDateV2"));
}

bool VokLibraryIsMapped() { return GetModuleHandleA("VOKQM7.dll") != nullptr; }

}  // namespace vok::wine_test
