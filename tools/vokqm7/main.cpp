// vokqm7: the support and integration tool around the VOKQM7 library.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "exit_codes.h"
#include "output.h"

int main(int argc, char** argv) {
  using namespace vok::tool;
  CLI::App app{
      "vokqm7: checks an installation of the accounting package's report tool, runs the\n"
      "VOKQM7 library's exports as a filing client would, converts cell exports\n"
      "into filing document sections offline, and shows filing documents as tables.",
      "vokqm7"};
  app.footer(kExitCodesHelp);
  app.require_subcommand(1);
  int status = kExitSuccess;
  AddVersionCommand(app, status);
  AddDoctorCommand(app, status);
  AddExportCommands(app, status);
  AddConvertCommand(app, status);
  AddShowCommand(app, status);
  AddTraceCommand(app, status);
  AddBatchCommand(app, status);
  AddExplainCommand(app, status);
  AddSupportBundleCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return kExitUsage;
  }
  return status;
}
