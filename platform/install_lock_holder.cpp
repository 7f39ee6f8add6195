// Which of an installation's records tells who has it: shared by both
// platform layers, which differ only in where the records live.
#include "platform/install_lock.h"
#include "platform/process.h"

namespace vok::platform {

std::optional<InstallLockHolder> InstallLock::Holder() const {
  const std::vector<InstallLockHolder> records = Records();
  for (const InstallLockHolder& record : records) {
    if (RunningForMs({record.process_id, record.process_start})) return record;
  }
  for (const InstallLockHolder& record : records) {
    if (record.tool.id != 0 && record.tool.start != 0 && RunningForMs(record.tool)) return record;
  }
  if (records.empty()) return std::nullopt;
  return records.front();
}

}  // namespace vok::platform
