// Who holds an installation, from this user's record: shared by both
// platform layers, which differ only in where the record lives.
#include "platform/install_lock.h"
#include "platform/process.h"

namespace vok::platform {

std::optional<InstallLockHolder> InstallLock::Holder() const {
  std::optional<InstallLockHolder> record = OwnRecord();
  if (record && RunningForMs({record->process_id, record->process_start})) return record;
  return std::nullopt;
}

}  // namespace vok::platform
