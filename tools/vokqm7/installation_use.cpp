#include "installation_use.h"

#include "driver/paths.h"
#include "language/language.h"
#include "platform/path_parts.h"
#include "platform/program.h"

namespace vok::tool {

InstallationUse InspectInstallation(const std::string& location) {
  InstallationUse use;
  use.host_refusal = platform::HostRefusal().value_or("");
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) return use;
  use.lock = lock->Name();
  use.lock_made = lock->Made();
  use.record_problem = lock->RecordProblem().value_or("");
  use.record_path = lock->RecordPath();
  use.lock_refused = lock->RefusedError();
  use.state = InstallationUse::State::kFree;
  const std::optional<platform::InstallLockHolder> record = lock->OwnRecord();
  if (record && platform::RunningForMs({record->process_id, record->process_start})) {
    use.state = InstallationUse::State::kInUse;
    use.holder = record;
  }
  if (!use.holder) {
    const std::optional<bool> busy = lock->Busy();
    if (busy == true) use.state = InstallationUse::State::kInUseUnseen;
    if (!busy && !use.lock_made) use.state = InstallationUse::State::kUnknown;
  }

  const std::string tool = location + paths::kBatchTool;
  const platform::ProcessFacts facts = platform::LookAtProcesses(tool);
  std::uint32_t recorded_tool = 0;
  if (record && !use.holder) {
    use.gone_holder = record;
    use.orphan = platform::ClassifyRecordedTool(*record, platform::IsThisBoot(record->boot), facts);
    recorded_tool = record->tool.id;
  }
  for (const platform::ProcessEntry& process :
       platform::ReportToolsRunning(facts, platform::FileNameOfPath(tool))) {
    // The live holder's own tool is no stranger.
    if (process.identity.id == recorded_tool ||
        (use.holder && process.identity.id == use.holder->tool.id)) {
      continue;
    }
    use.tools.push_back(
        {process, facts.look(process).user, platform::StartedMsAgo(process.identity)});
  }
  return use;
}

std::string DescribeHolder(const InstallationUse& use, bool brief) {
  if (!use.holder) return Tr("another process");
  const platform::InstallLockHolder& h = *use.holder;
  const std::string id = std::to_string(h.process_id);
  std::string what = h.program;
  if (brief) what = platform::FileNameOfPath(what);
  if (!h.call.empty()) what += (what.empty() ? "" : ", ") + h.call;
  const bool since = !h.since.empty() && !brief;
  return what.empty() ? (since ? TrF("process %s since %s", id, h.since) : TrF("process %s", id))
                      : (since ? TrF("process %s (%s) since %s", id, what, h.since)
                               : TrF("process %s (%s)", id, what));
}

}  // namespace vok::tool
