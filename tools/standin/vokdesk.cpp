// Stand-in for the accounting package's interactive report tool, vokdesk.exe.
// Records the login command line it was started with and ends.
#include "platform/program.h"
#include "standin.h"

namespace {

constexpr char kHelp[] =
    "vokdesk (stand-in): a TEST DOUBLE of the accounting package's interactive\n"
    "report tool. It opens no window and logs in nowhere.\n"
    "\n"
    "usage: vokdesk.exe -L{<account>\\t<year>\\t<user>\\t<password>\\t<date>\\t<server>\\t<file>}\n"
    "\n"
    "Records its command line in vokdesk.args (exact bytes) and vokdesk.log beside\n"
    "itself.\n"
    "  VOKDESK_SLEEP_MS=N    sleep N milliseconds before recording\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace vok;
  if (standin::HelpAsked(argc, argv, kHelp)) return 0;
  const std::string tail = platform::CommandLineTail(argc, argv);
  platform::SleepMilliseconds(standin::EnvironmentNumber("VOKDESK_SLEEP_MS", 0));
  standin::RecordCommandLine("vokdesk", tail);
  return 0;
}
