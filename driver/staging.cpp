#include "driver/staging.h"

#include <optional>

#include "platform/files.h"
#include "request/trace.h"

namespace vok {
namespace {

// Deletes a file the staging must not find; what stays is traced.
void RemoveSilently(const std::string& path, const char* what) {
  const platform::Status deleted = platform::DeleteFile(path);
  if (deleted) {
    trace::Record("file.removed", {{"what", what}, {"file", path}});
  } else if (trace::Active() && platform::PathExists(path)) {
    trace::Record("file.not_removed", {{"what", what}, {"file", path}, {"error", deleted.code()}});
  }
}

}  // namespace

std::int32_t StageWorkFile(const std::vector<std::string>& stale_files,
                           const std::vector<Staging>& stagings, MessageBuffer& message) {
  for (const std::string& stale : stale_files) RemoveSilently(stale, "stale");
  for (const Staging& staging : stagings) RemoveSilently(staging.work_file, "work_file");

  for (const Staging& staging : stagings) {
    if (const platform::Status copied = platform::CopyFile(staging.template_path, staging.work_file);
        !copied) {
      trace::Record("template.copy_failed", {{"template", staging.template_path},
                                             {"work_file", staging.work_file},
                                             {"error", copied.code()}});
      message.Set(staging.copy_failure_message);
      return -1;
    }
    trace::Record("template.staged",
                  {{"template", staging.template_path}, {"work_file", staging.work_file}});
  }

  // The tool writes into its work file; a template shipped read-only must
  // not make the copy read-only too.
  for (const Staging& staging : stagings) {
    std::optional<std::uint32_t> attributes = platform::GetFileAttributes(staging.work_file);
    if (attributes && (*attributes & platform::kFileAttributeReadOnly)) {
      const platform::Status made = platform::SetFileAttributesNormal(staging.work_file);
      if (made) {
        trace::Record("work_file.made_writable", {{"work_file", staging.work_file}, {"done", "yes"}});
      } else {
        trace::Record("work_file.made_writable",
                      {{"work_file", staging.work_file}, {"done", "no"}, {"error", made.code()}});
      }
    }
  }
  return 0;
}

}  // namespace vok
