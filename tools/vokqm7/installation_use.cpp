#include "installation_use.h"

#include "language/language.h"
#include "platform/path_parts.h"

namespace vok::tool {

InstallationUse InspectInstallation(const std::string& location) {
  InstallationUse use;
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) return use;
  use.lock = lock->Name();
  use.lock_made = lock->Made();
  use.lock_refused = lock->RefusedError();
  use.state = InstallationUse::State::kFree;
  std::optional<platform::InstallLockHolder> record = lock->Holder();
  if (!record) return use;
  if (platform::RunningForMs({record->process_id, record->process_start})) {
    use.state = InstallationUse::State::kInUse;
    use.holder = std::move(record);
    return use;
  }
  if (record->tool.id != 0 && record->tool.start != 0) {
    use.orphan_age_ms = platform::RunningForMs(record->tool);
  }
  use.gone_holder = std::move(record);
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
  if (what.empty()) return since ? TrF("process %s since %s", id, h.since) : TrF("process %s", id);
  return since ? TrF("process %s (%s) since %s", id, what, h.since)
               : TrF("process %s (%s)", id, what);
}

}  // namespace vok::tool
