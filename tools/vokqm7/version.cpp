// version: the library's interface version, this build's version, and
// which library file was loaded with the version it carries.
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "library.h"
#include "output.h"

namespace vok::tool {

void AddVersionCommand(CLI::App& app, int& status) {
  CLI::App* command =
      app.add_subcommand("version", "interface version (GetVersionQM7) and build version");
  command->callback([&status] {
    std::string error;
    std::optional<LoadedLibrary> library = LoadVokLibrary(error);
    if (!library) {
      Complain(error);
      status = kExitCannotRun;
      return;
    }
    Say("interface version: " + std::to_string(library->functions.get_version()));
    Say("build version: " VOKQM7_BUILD_VERSION);
    Say("library: " + library->location);
    Say("library version: " + library->file_version);
    status = kExitSuccess;
  });
}

}  // namespace vok::tool
