#include "driver/report_tool.h"

#include "driver/commands.h"
#include "driver/paths.h"
#include "request/messages.h"
#include "request/text_rules.h"
#include "platform/files.h"
#include "platform/process.h"

namespace vok {

std::int32_t RunReportTool(const std::string& install_location, const LoginRequest& login,
                           const std::string& report_date, const ReportToolRun& run,
                           MessageBuffer& message) {
  // Only this run's output may satisfy the check after it. An export that
  // cannot be removed (read-only, held open by another program) is
  // remembered as it is, and counts as no output unless the tool replaced
  // it: another call's or another run's figures must never pass as this
  // run's.
  const std::string cell_export = install_location + paths::kCellExport;
  std::optional<platform::FileStamp> stale;
  if (!platform::DeleteFile(cell_export)) stale = platform::StampOf(cell_export);

  const std::string command =
      FormatBatchCommand(install_location + paths::kBatchTool, login.account_code, login.year,
                         report_date, login.server, run.work_file, run.trailing_number);
  std::optional<platform::ChildProcess> tool = platform::ChildProcess::Start(command);
  if (!tool) {
    message.Set(run.launch_failure_message);
    return -1;
  }

  // A failed wait is treated like an ended tool: the output check decides.
  if (tool->Wait(run.wait_limit_ms) == platform::WaitOutcome::kTimedOut) {
    tool->Terminate(0);
    message.Set(run.timeout_message);
    return -1;
  }
  tool.reset();

  if (!platform::PathExists(cell_export) || (stale && platform::StampOf(cell_export) == stale)) {
    message.Set(run.missing_output_message);
    return -1;
  }
  platform::DeleteFile(run.work_file);

  std::string keep_target = run.keep_target;
  if (run.keep_target_from_caller) {
    keep_target = std::string(TrimAsciiSpace(keep_target));
    if (keep_target.empty()) {
      message.Set(msg::kNoDataFilePath);
      return -1;
    }
  }
  if (!platform::CopyFile(cell_export, keep_target)) {
    message.Set(run.keep_failure_message);
    return -1;
  }
  return 0;
}

}  // namespace vok
