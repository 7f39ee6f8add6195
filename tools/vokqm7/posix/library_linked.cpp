// Linux: libVOKQM7.so is linked to the tool, so the table is its symbols.
#include "library.h"

#include "host.h"
#include "language/language.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <memory>

namespace vok::tool {
namespace {

// The file the dynamic linker loaded the library from, its links resolved:
// libVOKQM7.so.1 is a link to libVOKQM7.so.<version>.
std::string LoadedFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&GetVersionQM7), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::unique_ptr<char, decltype(&free)> resolved(realpath(info.dli_fname, nullptr), &free);
  return resolved ? std::string(resolved.get()) : std::string(info.dli_fname);
}

}  // namespace

std::optional<LoadedLibrary> LoadVokLibrary(std::string&) {
  LoadedLibrary library;
  library.functions = {GetVersionQM7, GetReportDate, GetReport,
                       GetReportV2,   OpenReportV2,  GetReportDateV2};
  const std::string file = LoadedFile();
  // Linux paths are UTF-8; the tool's texts are GBK.
  library.location = file.empty() ? Tr("libVOKQM7.so (linked)") : ArgumentToGbk(file);
  const std::string::size_type suffix = file.rfind(".so.");
  library.file_version = suffix == std::string::npos
                             ? Tr("unknown (the library file's name carries no version)")
                             : file.substr(suffix + 4);
  return library;
}

}  // namespace vok::tool
