// The library as the tool reaches it: VOKQM7.dll loaded at run time on
// Windows, exactly as a filing client loads it, and libVOKQM7.so linked in on
// Linux. The commands see only this table.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "vokqm7.h"

namespace vok::tool {

struct LibraryFunctions {
  int(VOKQM7_CALL* get_version)(void);
  int(VOKQM7_CALL* get_report_date)(const char*, const char*, char*);
  int(VOKQM7_CALL* get_report)(const char*, int, const char*, const char*, char*);
  int(VOKQM7_CALL* get_report_v2)(const char*, const char*, char*);
  int(VOKQM7_CALL* open_report_v2)(const char*, char*);
  int(VOKQM7_CALL* get_report_date_v2)(const char*, const char*, char*);
};

struct LoadedLibrary {
  LibraryFunctions functions;
  std::string location;          // where the library was found, for the user
  // The version the library file carries itself (Windows: its VERSIONINFO;
  // Linux: the versioned file name libVOKQM7.so.X.Y.Z), or why it is not
  // known.
  std::string file_version;
  std::shared_ptr<void> handle;  // keeps a loaded module loaded
};

// The library with all six functions, or nothing with `error` saying why.
std::optional<LoadedLibrary> LoadVokLibrary(std::string& error);

}  // namespace vok::tool
