// The exports that write filing documents: the two combined filings of one
// period (income statement, then balance sheet) and one statement chosen by
// report type.
#include "driver/paths.h"
#include "driver/report_tool.h"
#include "driver/staging.h"
#include "request/messages.h"
#include "interface/report_date.h"
#include "interface/requests.h"
#include "request/text_rules.h"
#include "request/trace.h"
#include "platform/files.h"
#include "sections/section_writers.h"

namespace vok {
namespace {

constexpr char kFilingHead[] = "<?xml version=\"1.0\" encoding=\"GBK\" ?><DZSBB>";
constexpr char kFilingTail[] = "</DZSBB>";

using SectionWriter = std::int32_t (*)(const std::string&, std::string&, std::int32_t,
                                       std::int32_t, MessageBuffer&);

// A run of the tool with the ten-minute limit the filing exports give it.
ReportToolRun LimitedRun(ExportCall& call, std::string work_file, std::string keep_target,
                         const char* launch_failure, const char* timeout,
                         const char* missing_output, const char* keep_failure) {
  ReportToolRun run;
  run.installation = call.installation();
  run.work_file = std::move(work_file);
  run.wait_limit_ms = kReportToolWaitLimitMs;
  run.launch_failure_message = launch_failure;
  run.timeout_message = timeout;
  run.missing_output_message = missing_output;
  run.keep_target = std::move(keep_target);
  run.keep_failure_message = keep_failure;
  return run;
}

// Writes the finished document. The previous file at the output path stays
// whole until the new one is complete, and a failed write leaves nothing
// half-written behind.
std::int32_t WriteFilingDocument(ExportCall& call, const char* output_path,
                                 const std::string& document) {
  call.Step("output", msg::kOutputWriteFailed);
  const platform::Status written = output_path == nullptr
                                       ? platform::Status::Failed("replace", 0)
                                       : platform::ReplaceFileAtomically(output_path, document);
  if (!written) {
    trace::Record("output.failed",
                  {{"path", output_path}, {"bytes", document.size()}, {"error", written.code()}});
    call.message().Set(msg::kOutputWriteFailed);
    return -1;
  }
  trace::Record("output.written", {{"path", output_path}, {"bytes", document.size()}});
  return 0;
}

struct CombinedFiling {
  const char* income_template;
  const char* balance_template;
  SectionWriter income_writer;
};

std::int32_t GetCombinedFiling(ExportCall& call, const char* login_xml, const char* output_path,
                               const CombinedFiling& filing) {
  std::optional<LoginRequest> login = call.ReadLogin(login_xml, kBatchLoginFields);
  if (!login) return -1;
  std::optional<std::string> location = call.RequireInstallLocation();
  if (!location) return -1;
  const std::string& l = *location;
  if (!call.TakeInstallation(l)) return -1;

  call.Step("staging", msg::kIncomeTemplateCopyFailed);
  if (StageWorkFile({l + paths::kCellExport, l + paths::kFirstCellExport,
                     l + paths::kSecondCellExport},
                    {{l + filing.income_template, l + paths::kFirstWorkFile,
                      msg::kIncomeTemplateCopyFailed},
                     {l + filing.balance_template, l + paths::kSecondWorkFile,
                      msg::kBalanceTemplateCopyFailed}},
                    call.message()) != 0) {
    return -1;
  }

  call.Step("income statement run", msg::kIncomeLaunchFailed);
  const std::string report_date = ComputeReportDate(login->year, login->period);
  const ReportToolRun income_run =
      LimitedRun(call, l + paths::kFirstWorkFile, l + paths::kFirstCellExport,
                 msg::kIncomeLaunchFailed, msg::kIncomeTimedOut, msg::kIncomeNoOutput,
                 msg::kIncomeKeepFailed);
  if (RunReportTool(l, *login, report_date, income_run, call.message()) != 0) return -1;

  call.Step("balance sheet run", msg::kBalanceLaunchFailed);
  const ReportToolRun balance_run = LimitedRun(
      call, l + paths::kSecondWorkFile, l + paths::kSecondCellExport, msg::kBalanceLaunchFailed,
      msg::kBalanceTimedOut, msg::kBalanceNoOutput, msg::kBalanceKeepFailed);
  if (RunReportTool(l, *login, report_date, balance_run, call.message()) != 0) return -1;

  call.Step("income statement section", msg::kOutputWriteFailed);
  std::string document = kFilingHead;
  std::int32_t result = filing.income_writer(l + paths::kFirstCellExport, document, login->year,
                                             login->period, call.message());
  if (result < 0) return result;
  call.Step("balance sheet section", msg::kOutputWriteFailed);
  result = WriteBalanceSheetSectionV1(l + paths::kSecondCellExport, document, login->year,
                                      login->period, call.message());
  if (result < 0) return result;
  document += kFilingTail;
  return WriteFilingDocument(call, output_path, document);
}

// The writer for a report type, "ZCFZB" or "SYB" in any letter case.
SectionWriter WriterForType(const std::string& report_type) {
  if (EqualsIgnoringAsciiCase(report_type, "ZCFZB")) return WriteBalanceSheetSectionV2;
  if (EqualsIgnoringAsciiCase(report_type, "SYB")) return WriteIncomeStatementSectionV2;
  return nullptr;
}

}  // namespace

std::int32_t GetNationalFiling(ExportCall& call, const char* login_xml, const char* output_path) {
  return GetCombinedFiling(call, login_xml, output_path,
                           {paths::kNationalIncomeTemplate, paths::kNationalBalanceTemplate,
                            WriteIncomeStatementSectionV1});
}

std::int32_t GetFinancialFiling(ExportCall& call, const char* login_xml, const char* output_path) {
  return GetCombinedFiling(call, login_xml, output_path,
                           {paths::kFinancialIncomeTemplate, paths::kFinancialBalanceTemplate,
                            WriteIncomeStatementSectionV3});
}

std::int32_t GetFilingByType(ExportCall& call, const char* login_xml, const char* output_path) {
  std::optional<LoginRequest> login = call.ReadLogin(login_xml, kByTypeLoginFields);
  if (!login) return -1;
  std::optional<std::string> location = call.RequireInstallLocation();
  if (!location) return -1;
  const std::string& l = *location;
  if (!call.TakeInstallation(l)) return -1;

  // FileRep is the caller's own template, used as the path it is.
  call.Step("staging", msg::kTemplateCopyFailed);
  if (StageWorkFile({l + paths::kCellExport, l + paths::kFirstCellExport},
                    {{login->file_rep, l + paths::kFirstWorkFile, msg::kTemplateCopyFailed}},
                    call.message()) != 0) {
    return -1;
  }

  call.Step("tool run", msg::kByTypeLaunchFailed);
  const std::string report_date = ComputeReportDate(login->year, login->period);
  const ReportToolRun run =
      LimitedRun(call, l + paths::kFirstWorkFile, l + paths::kFirstCellExport,
                 msg::kByTypeLaunchFailed, msg::kByTypeTimedOut, msg::kByTypeNoOutput,
                 msg::kByTypeKeepFailed);
  if (RunReportTool(l, *login, report_date, run, call.message()) != 0) return -1;

  // The type is looked at only now, after the tool has run.
  call.Step("report type", msg::kOutputWriteFailed);
  const SectionWriter writer = WriterForType(login->report_type);
  if (writer == nullptr) {
    trace::Record("report_type.unsupported", {{"report_type", login->report_type}});
    call.message().Set(msg::kUnsupportedReportType);
    return -1;
  }
  call.Step("section", msg::kOutputWriteFailed);
  std::string document = kFilingHead;
  const std::int32_t result =
      writer(l + paths::kFirstCellExport, document, login->year, login->period, call.message());
  if (result < 0) return result;
  document += kFilingTail;
  return WriteFilingDocument(call, output_path, document);
}

}  // namespace vok
