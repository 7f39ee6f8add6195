// doctor's checklist, for the command and for the support bundle that
// keeps what it printed.
#pragma once

namespace vok::tool {

// Prints the checks with Say; the exit status doctor ends with.
int RunDoctor();

}  // namespace vok::tool
