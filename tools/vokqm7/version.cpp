// version: the library's interface version, this build's version, and
// which library file was loaded with the version it carries.
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "language/language.h"
#include "library.h"
#include "output.h"

namespace vok::tool {

void AddVersionCommand(CLI::App& app, int& status) {
  CLI::App* command =
      app.add_subcommand("version", Tr("interface version (GetVersionQM7) and build version"));
  command->callback([&status] {
    std::string error;
    std::optional<LoadedLibrary> library = LoadVokLibrary(error);
    if (!library) {
      Complain(error);
      status = kExitCannotRun;
      return;
    }
    Say(TrF("interface version: %s", std::to_string(library->functions.get_version())));
    Say(TrF("build version: %s", VOKQM7_BUILD_VERSION));
    Say(TrF("library: %s", library->location));
    Say(TrF("library version: %s", library->file_version));
    status = kExitSuccess;
  });
}

}  // namespace vok::tool
