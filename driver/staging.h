// Staging templates into the work files the batch tool computes in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "request/message_buffer.h"

namespace vok {

struct Staging {
  std::string template_path;
  std::string work_file;
  const char* copy_failure_message;
};

// Removes the stale files and the stagings' work files (silently), copies
// each template over its work file (the first failed copy ends the staging
// with its message and -1), then makes read-only work files writable.
// All deletions come before all copies, all copies before all attribute
// changes. Returns 0 or -1.
std::int32_t StageWorkFile(const std::vector<std::string>& stale_files,
                           const std::vector<Staging>& stagings, MessageBuffer& message);

}  // namespace vok
