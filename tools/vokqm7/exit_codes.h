// The tool's exit statuses, as its --help lists them.
#pragma once

namespace vok::tool {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitExportFailed = 1;   // the library or a section writer said no, or
                                              // show was given no filing document
inline constexpr int kExitUsage = 2;          // bad options or arguments
inline constexpr int kExitCheckFailed = 3;    // doctor found a problem, --check found bad XML,
                                              // show found figures that do not add up
inline constexpr int kExitCannotRun = 4;      // library not loadable, file not readable/writable

inline constexpr char kExitCodesHelp[] =
    "Exit status: 0 success, 1 the export or conversion failed, 2 bad usage,\n"
    "3 a check failed (doctor found a problem, --check found malformed XML,\n"
    "show found figures that do not add up), 4 the library could not be loaded\n"
    "or a file could not be read or written. show gives 1 for a file that is not\n"
    "a filing document.";

}  // namespace vok::tool
