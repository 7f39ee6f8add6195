#include "installation_use.h"

#include "platform/path_parts.h"

namespace vok::tool {

InstallationUse InspectInstallation(const std::string& location) {
  InstallationUse use;
  std::optional<platform::InstallLock> lock = platform::InstallLock::ForFolder(location);
  if (!lock) return use;
  use.lock = lock->Name();
  switch (lock->TryAcquire()) {
    case platform::LockOutcome::kTaken:
      use.state = InstallationUse::State::kFree;
      break;  // released again as `lock` goes
    case platform::LockOutcome::kBusy:
      use.state = InstallationUse::State::kInUse;
      use.holder = lock->Holder();
      break;
    case platform::LockOutcome::kFailed:
      break;
  }
  return use;
}

std::string DescribeHolder(const InstallationUse& use, bool brief) {
  if (!use.holder) return "another process";
  const platform::InstallLockHolder& h = *use.holder;
  std::string text = "process " + std::to_string(h.process_id);
  std::string what = h.program;
  if (brief) what = platform::FileNameOfPath(what);
  if (!h.call.empty()) what += (what.empty() ? "" : ", ") + h.call;
  if (!what.empty()) text += " (" + what + ")";
  if (!h.since.empty() && !brief) text += " since " + h.since;
  return text;
}

}  // namespace vok::tool
