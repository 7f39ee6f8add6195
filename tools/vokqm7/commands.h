// The subcommands, each registered on the tool's CLI11 application. A
// command's callback leaves its exit status in `status`.
#pragma once

#include <CLI/CLI.hpp>

namespace vok::tool {

void AddVersionCommand(CLI::App& app, int& status);
void AddDoctorCommand(CLI::App& app, int& status);
void AddExportCommands(CLI::App& app, int& status);  // report-date, report, export, open
void AddConvertCommand(CLI::App& app, int& status);
void AddShowCommand(CLI::App& app, int& status);
void AddTraceCommand(CLI::App& app, int& status);  // trace on, off, show
void AddBatchCommand(CLI::App& app, int& status);

// doctor's checks of the installation, told on stdout; its exit status.
int RunDoctorChecks();

}  // namespace vok::tool
