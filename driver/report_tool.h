// One run of the batch report tool.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "request/login_request.h"
#include "request/message_buffer.h"

namespace vok {

class InstallLocationLock;

inline constexpr std::uint32_t kReportToolWaitLimitMs = 600000;  // ten minutes

// What differs between the runs of the exports.
struct ReportToolRun {
  std::string work_file;
  std::int32_t trailing_number = 0;
  std::optional<std::uint32_t> wait_limit_ms;  // empty: wait without limit
  const char* launch_failure_message = nullptr;
  const char* timeout_message = nullptr;
  const char* missing_output_message = nullptr;
  // Where the cell export is copied after the run.
  std::string keep_target;
  // A keep target given by the caller is trimmed of white space first, and
  // one that is then empty fails with its own message.
  bool keep_target_from_caller = false;
  const char* keep_failure_message = nullptr;
  // The call's hold on the installation, told which tool runs; none for a
  // call that runs without it (no installation folder).
  InstallLocationLock* installation = nullptr;
};

// Runs the tool in `install_location` on the run's work file and keeps its
// cell export. Returns 0, or -1 with the failing step's message set.
std::int32_t RunReportTool(const std::string& install_location, const LoginRequest& login,
                           const std::string& report_date, const ReportToolRun& run,
                           MessageBuffer& message);

}  // namespace vok
