// The tool's exit statuses, as its --help lists them.
#pragma once

namespace vok::tool {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitExportFailed = 1;   // the library or a section writer said no
inline constexpr int kExitUsage = 2;          // bad options or arguments
inline constexpr int kExitCheckFailed = 3;    // doctor found a problem, --check found bad XML
inline constexpr int kExitCannotRun = 4;      // library not loadable, file not readable/writable

inline constexpr char kExitCodesHelp[] =
    "Exit status: 0 success, 1 the export or conversion failed, 2 bad usage,\n"
    "3 a check failed (doctor found a problem, --check found malformed XML),\n"
    "4 the library could not be loaded or a file could not be read or written.";

}  // namespace vok::tool
