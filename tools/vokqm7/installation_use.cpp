#include "installation_use.h"

#include "driver/paths.h"
#include "language/language.h"
#include "platform/path_parts.h"

namespace vok::tool {

InstallationUse InspectInstallation(const std::string& location) {
  InstallationUse use;
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) return use;
  use.lock = lock->Name();
  use.lock_made = lock->Made();
  use.record_problem = lock->RecordProblem();
  use.lock_refused = lock->RefusedError();
  use.state = InstallationUse::State::kFree;
  const std::vector<platform::InstallLockHolder> records = lock->Records();
  for (const platform::InstallLockHolder& record : records) {
    if (platform::RunningForMs({record.process_id, record.process_start})) {
      use.state = InstallationUse::State::kInUse;
      use.holder = record;
      break;
    }
  }
  if (!use.holder) {
    const std::optional<bool> busy = lock->Busy();
    if (busy == true) use.state = InstallationUse::State::kInUseUnseen;
    if (!busy && !use.lock_made) use.state = InstallationUse::State::kUnknown;
  }
  const std::string tool = location + paths::kBatchTool;
  for (const platform::InstallLockHolder& record : records) {
    if (use.holder && use.holder->process_id == record.process_id) continue;
    const platform::RecordedTool what =
        platform::InspectRecordedTool(record.tool, record.tool_group, record.owner, tool);
    if (what == platform::RecordedTool::kMine || what == platform::RecordedTool::kOtherUsers ||
        what == platform::RecordedTool::kUnknown) {
      use.gone_holder = record;
      use.orphan = what;
      use.orphan_age_ms = platform::RunningForMs(record.tool);
      break;
    }
    // Other users' calls that ended without finishing are theirs to see.
    if (record.mine && !use.gone_holder) use.gone_holder = record;
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
  std::string said = what.empty() ? (since ? TrF("process %s since %s", id, h.since)
                                            : TrF("process %s", id))
                     : (since ? TrF("process %s (%s) since %s", id, what, h.since)
                              : TrF("process %s (%s)", id, what));
  if (!h.mine && !h.owner.empty()) said += TrF(", of user %s", h.owner);
  return said;
}

}  // namespace vok::tool
