// Linux: libVOKQM7.so is linked to the tool, so the table is its symbols.
#include "library.h"

namespace vok::tool {

std::optional<LoadedLibrary> LoadVokLibrary(std::string&) {
  LoadedLibrary library;
  library.functions = {GetVersionQM7, GetReportDate, GetReport,
                       GetReportV2,   OpenReportV2,  GetReportDateV2};
  library.location = "libVOKQM7.so (linked)";
  return library;
}

}  // namespace vok::tool
