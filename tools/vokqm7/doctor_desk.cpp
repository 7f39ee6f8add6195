// doctor's checks of what a Windows desk does to programs, and of the code
// page, apart from the walk through the installation.
#include <optional>
#include <string>

#include "desk_facts.h"
#include "doctor_list.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "request/trace.h"
#include "request/trace_line.h"

namespace vok::tool {
namespace {

// The code page of the last traced call whose filing client had another
// ANSI code page than 936 (the library traces it then only), and when.
std::optional<std::pair<std::string, std::string>> TracedHostCodePage() {
  const std::optional<trace::Setting> setting = trace::CurrentSetting();
  if (!setting) return std::nullopt;
  const std::optional<std::string> text = platform::ReadWholeFile(setting->file);
  if (!text) return std::nullopt;
  std::optional<std::pair<std::string, std::string>> last;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    const std::optional<trace::Line> line =
        trace::ParseLine(std::string_view(*text).substr(start, end - start));
    start = end + 1;
    if (!line) continue;
    const std::string* event = line->Find("event");
    const std::string* code_page = line->Find("ansi_code_page");
    if (event != nullptr && *event == "host.code_page" && code_page != nullptr) {
      last = std::make_pair(*code_page, line->time);
    }
  }
  return last;
}

}  // namespace

void CheckCodePage(Checklist& list) {
  if (!platform::SystemChoosesAnsiCodePage()) return;
  const std::uint32_t code_page = platform::AnsiCodePage();
  if (code_page == 936) {
    list.Ok(Tr("the system's ANSI code page is 936 (GBK)"));
  } else {
    list.Problem(TrF("the system's ANSI code page is %s, not 936 (GBK): calls whose login text "
                     "or paths hold Chinese characters are refused",
                     std::to_string(code_page)));
  }
  if (const auto traced = TracedHostCodePage()) {
    list.Problem(TrF("a traced filing client ran with the ANSI code page %s (at %s), not 936: "
                     "its calls with Chinese characters in the login text or paths are refused",
                     traced->first, traced->second));
  }
}

void CheckDesk(Checklist& list, const std::string& location) {
  const DeskFacts facts = ReadDeskFacts(location);
  if (facts.elevated) {
    list.Note(*facts.elevated
                  ? Tr("the tool runs elevated (as administrator): a filing client that does "
                       "not may see other files and drives")
                  : Tr("the tool runs without elevation, as filing clients usually do"));
  }
  if (facts.virtualized && *facts.virtualized) {
    list.Problem(Tr("the tool runs under UAC virtualization: its writes under Program Files go "
                    "to the VirtualStore, so its checks of the installation folder are not "
                    "to be trusted"));
  }
  if (!facts.compat_layers.empty()) {
    list.Problem(TrF("the tool runs with the compatibility settings %s: remove them from "
                     "vokqm7.exe's properties",
                     facts.compat_layers));
  }
  for (const std::string& drive : facts.mapped_drives) {
    list.Note(TrF("mapped network drive %s (an elevated program does not see the drives an "
                  "unelevated user mapped)",
                  drive));
  }
  if (facts.folder_on_network) {
    list.Note(Tr("the installation folder is on a network drive: calls from every machine take "
                 "turns through the lock file vokqm7.lock in it"));
  }
  if (facts.virtual_store_shadow) {
    list.Problem(TrF("a virtualized copy of the installation folder exists: %s (a filing client "
                     "without a manifest reads and writes there instead; remove its rep_vok "
                     "and voktemp files)",
                     *facts.virtual_store_shadow));
  }
}

}  // namespace vok::tool
