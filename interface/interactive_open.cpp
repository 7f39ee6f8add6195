// OpenReportV2: the interactive report tool, started logged in and left to
// run on its own.
#include "driver/commands.h"
#include "driver/install_location.h"
#include "driver/paths.h"
#include "request/messages.h"
#include "interface/requests.h"
#include "platform/process.h"
#include "request/trace.h"

namespace vok {

std::int32_t OpenInteractiveReport(ExportCall& call, const char* login_xml) {
  std::optional<LoginRequest> login = call.ReadLogin(login_xml, kInteractiveLoginFields);
  if (!login) return -1;

  // An empty InstallLocation would start "\vokdesk.exe" from the root of
  // the current drive, whatever program lies there, with the password on
  // its command line.
  const std::optional<std::string> location = call.RequireInstallLocation();
  if (!location) return -1;
  call.Step("interactive tool", msg::kOpenLaunchFailed);
  const std::string tool = *location + paths::kInteractiveTool;
  const std::string command = FormatInteractiveCommand(tool, *login);
  if (trace::Active()) {
    LoginRequest masked = *login;
    masked.password = "********";
    const std::string shown = FormatInteractiveCommand(tool, masked);
    trace::Record("interactive.start", {{"command", shown}});
  }
  if (const platform::Status started = platform::StartDetached(command, *location); !started) {
    trace::Record("interactive.not_started", {{"error", started.code()}});
    call.message().Set(msg::kOpenLaunchFailed);
    return -1;
  }
  return 0;
}

}  // namespace vok
