#include "driver/staging.h"

#include <optional>

#include "platform/files.h"

namespace vok {

std::int32_t StageWorkFile(const std::vector<std::string>& stale_files,
                           const std::vector<Staging>& stagings, MessageBuffer& message) {
  for (const std::string& stale : stale_files) platform::DeleteFile(stale);
  for (const Staging& staging : stagings) platform::DeleteFile(staging.work_file);

  for (const Staging& staging : stagings) {
    if (!platform::CopyFile(staging.template_path, staging.work_file)) {
      message.Set(staging.copy_failure_message);
      return -1;
    }
  }

  // The tool writes into its work file; a template shipped read-only must
  // not make the copy read-only too.
  for (const Staging& staging : stagings) {
    std::optional<std::uint32_t> attributes = platform::GetFileAttributes(staging.work_file);
    if (attributes && (*attributes & platform::kFileAttributeReadOnly)) {
      platform::SetFileAttributesNormal(staging.work_file);
    }
  }
  return 0;
}

}  // namespace vok
