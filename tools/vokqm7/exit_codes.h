// The tool's exit statuses, as `vokqm7 help exit-status` tells them; --help
// only names them.
#pragma once

#include "language/language.h"

namespace vok::tool {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitExportFailed = 1;   // the library or a section writer said no, or
                                              // show was given no filing document it can read
inline constexpr int kExitUsage = 2;          // bad options or arguments
inline constexpr int kExitCheckFailed = 3;    // doctor found a problem, --check found bad XML,
                                              // show's checks failed or, after --show, the
                                              // document the export wrote cannot be shown
inline constexpr int kExitCannotRun = 4;      // library not loadable, file not readable/writable
inline constexpr int kExitNotChecked = 5;     // show or batch: no check failed, but a statement
                                              // was not checked: its layout not recognised, or
                                              // every amount zero
inline constexpr int kExitFolderBusy = 6;     // batch: another batch holds the output folder
inline constexpr int kExitInterrupted = 130;  // batch stopped by Ctrl-C, as shells count SIGINT

inline constexpr const char* kExitCodesHelp = N_(
    "Exit status: 0 success, 1 the export or conversion failed, 2 bad usage,\n"
    "3 a check failed (doctor found a problem, --check found malformed XML,\n"
    "show found figures that do not add up or could not compare them), 4 the\n"
    "library could not be loaded or a file could not be read or written,\n"
    "5 no check failed but a statement was not checked (its layout was not\n"
    "recognised: see show --rules; or every amount is zero).\n"
    "show gives 0 only when every check ran and passed, and 1 for a file that\n"
    "is no filing document it can read (not decodable in the encoding it\n"
    "declares, not well-formed, or refused by the XML parser's limits). With\n"
    "--show the export's result comes first: 1 when it failed, and nothing is\n"
    "shown; after it succeeded, 3 when a check fails or its document cannot be\n"
    "shown, 4 when the document cannot be read back. batch gives 0 when every\n"
    "row was made and passed its checks, 3 when all were made but a check\n"
    "failed, 5 when none failed but a document was not checked, 1 when an\n"
    "export failed or a row is bad, 4 when the folder cannot be made or\n"
    "written (before any call), its volume is full or its summary could not\n"
    "be written at the end, 2 when its summary.csv is not as batch writes it,\n"
    "6 when another batch holds the folder past --wait, 130 when stopped by\n"
    "Ctrl-C; batch --check gives 0 when a run could start, 1 for bad rows,\n"
    "2 for such a summary.csv, 3 when doctor finds a problem, 4 when the\n"
    "folder cannot be written or has no room, 6 when another batch holds it.\n"
    "A rules file that does not read (--rules) gives 2, naming its file, line\n"
    "and column.");

inline constexpr const char* kExitCodesShort = N_(
    "Exit status: 0 success, 1 export failed, 2 bad usage, 3 a check failed,\n"
    "4 cannot run, 5 not checked, 6 folder in use, 130 stopped by Ctrl-C;\n"
    "each in full: vokqm7 help exit-status");

}  // namespace vok::tool
