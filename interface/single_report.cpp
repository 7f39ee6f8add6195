// GetReport: one template of the caller's choosing through the batch tool,
// its raw cell export copied to the caller's file.
#include "driver/paths.h"
#include "driver/report_tool.h"
#include "driver/staging.h"
#include "request/messages.h"
#include "interface/report_date.h"
#include "interface/requests.h"
#include "platform/files.h"
#include "request/trace.h"

namespace vok {

std::int32_t GetSingleReport(ExportCall& call, const char* login_xml, std::int32_t trailing_number,
                             const char* template_path, const char* data_file_path) {
  std::optional<LoginRequest> login = call.ReadLogin(login_xml, kBatchLoginFields);
  if (!login) return -1;
  std::optional<std::string> location = call.RequireInstallLocation();
  if (!location) return -1;

  call.Step("template check", msg::kTemplateMissing);
  if (template_path == nullptr || !platform::PathExists(template_path)) {
    trace::Record("template.missing", {{"template", template_path}});
    call.message().Set(msg::kTemplateMissing);
    return -1;
  }

  if (!call.TakeInstallation(*location)) return -1;

  call.Step("staging", msg::kTemplateCopyFailed);
  const std::string work_file = *location + paths::kSingleWorkFile;
  if (StageWorkFile({*location + paths::kCellExport},
                    {{template_path, work_file, msg::kTemplateCopyFailed}},
                    call.message()) != 0) {
    return -1;
  }

  call.Step("tool run", msg::kSingleLaunchFailed);
  const std::string report_date = ComputeReportDate(login->year, login->period);
  ReportToolRun run;
  run.work_file = work_file;
  run.trailing_number = trailing_number;
  run.wait_limit_ms = std::nullopt;  // this export waits as long as the tool runs
  run.launch_failure_message = msg::kSingleLaunchFailed;
  run.missing_output_message = msg::kSingleNoOutput;
  run.keep_target = data_file_path != nullptr ? data_file_path : "";
  run.keep_target_from_caller = true;
  run.keep_failure_message = msg::kDataFileCopyFailed;
  run.installation = call.installation();
  return RunReportTool(*location, *login, report_date, run, call.message());
}

}  // namespace vok
