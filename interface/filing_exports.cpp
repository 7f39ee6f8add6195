// The exports that write filing documents. Their section writers are not in
// this build yet: after the frame they fail instead of writing anything.
#include "interface/messages.h"
#include "interface/requests.h"

namespace vok {
namespace {

std::int32_t FrameOnly(ExportCall& call, const char* login_xml, LoginFieldList fields) {
  std::optional<LoginRequest> login = call.ReadLogin(login_xml, fields);
  if (!login) return -1;
  if (!call.RequireInstallLocation()) return -1;
  call.message().Set(msg::kParseFailed);
  return -1;
}

}  // namespace

std::int32_t GetNationalFiling(ExportCall& call, const char* login_xml, const char*) {
  return FrameOnly(call, login_xml, kBatchLoginFields);
}

std::int32_t GetFinancialFiling(ExportCall& call, const char* login_xml, const char*) {
  return FrameOnly(call, login_xml, kBatchLoginFields);
}

std::int32_t GetFilingByType(ExportCall& call, const char* login_xml, const char*) {
  return FrameOnly(call, login_xml, kByTypeLoginFields);
}

}  // namespace vok
