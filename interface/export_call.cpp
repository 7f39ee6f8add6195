#include "interface/export_call.h"

#include <cstring>
#include <vector>

#include "driver/install_location.h"
#include "request/messages.h"
#include "request/trace.h"
#include "platform/codepage.h"
#include "platform/xml.h"
#include "request/text_rules.h"

namespace vok {
namespace {

std::string FieldText(const LoginRequest& login, LoginField field) {
  switch (field) {
    case LoginField::kServer: return login.server;
    case LoginField::kYear: return std::to_string(login.year);
    case LoginField::kPeriod: return std::to_string(login.period);
    case LoginField::kAccountCode: return login.account_code;
    case LoginField::kUserId: return login.user_id;
    case LoginField::kPassword: return {};
    case LoginField::kLoginDate: return login.login_date;
    case LoginField::kFileRep: return login.file_rep;
    case LoginField::kReportType: return login.report_type;
  }
  return {};
}

// The fields as read, the password left out.
void TraceLogin(const LoginRequest& login, LoginFieldList fields) {
  if (!trace::Active()) return;
  std::vector<std::string> texts;
  std::vector<LoginField> shown;
  for (std::size_t i = 0; i < fields.count; ++i) {
    if (fields.fields[i] == LoginField::kPassword) continue;
    shown.push_back(fields.fields[i]);
    texts.push_back(FieldText(login, fields.fields[i]));
  }
  std::vector<trace::Field> recorded;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    recorded.emplace_back(LoginFieldTraceName(shown[i]), texts[i]);
  }
  trace::Record("login", recorded.data(), recorded.size());
}

// A login text that could not be read may hold a password: only its length
// and why it was refused are recorded.
void TraceLoginFailure(const char* login_xml, const LoginParseFailure& failure) {
  if (!trace::Active()) return;
  const std::size_t length = login_xml != nullptr ? std::strlen(login_xml) : 0;
  switch (failure.kind) {
    case LoginParseFailure::Kind::kNoText:
      trace::Record("login.failed", {{"reason", "no login text"}});
      break;
    case LoginParseFailure::Kind::kNotWellFormed:
      trace::Record("login.failed", {{"reason", "not well-formed XML"},
                                     {"length", length},
                                     {"stopped_at_line", failure.line},
                                     {"stopped_at_column", failure.column}});
      break;
    case LoginParseFailure::Kind::kFieldMissing:
      trace::Record("login.failed", {{"reason", "no such element"},
                                     {"element", failure.missing_field},
                                     {"length", length}});
      break;
    case LoginParseFailure::Kind::kDomError:
      trace::Record("login.failed", {{"reason", "XML DOM error"}, {"length", length}});
      break;
  }
}

}  // namespace

std::optional<LoginRequest> ExportCall::ReadLogin(const char* login_xml, LoginFieldList fields) {
  Step("login", msg::kParseFailed);
  std::optional<LoginRequest> login;
  LoginParseFailure failure;
  {
    platform::XmlSession session;
    login = ParseLoginRequest(login_xml, fields, &failure);
  }
  if (!login) {
    message_.Set(msg::kParseFailed);
    TraceLoginFailure(login_xml, failure);
    return login;
  }
  TraceLogin(*login, fields);
  return login;
}

bool ExportCall::AcceptCallerTexts(std::initializer_list<const char*> texts) {
  const std::uint32_t code_page = platform::AnsiCodePage();
  if (code_page != 936) trace::Record("host.code_page", {{"ansi_code_page", code_page}});
  std::size_t position = 0;
  for (const char* text : texts) {
    ++position;
    if (TakenAsGbk(text, code_page)) continue;
    trace::Record("caller_text.refused",
                  {{"ansi_code_page", code_page}, {"argument", position}});
    message_.Set(msg::kCallerTextNotGbk);
    return false;
  }
  return true;
}

std::optional<std::string> ExportCall::RequireInstallLocation() {
  Step("installation", msg::kInstallMissing);
  const std::string location = FindInstallLocation();
  if (location.empty()) {
    message_.Set(msg::kInstallMissing);
    return std::nullopt;
  }
  return location;
}

bool ExportCall::TakeInstallation(const std::string& location) {
  Step("installation lock", msg::kInstallInUse);
  installation_ = InstallLocationLock::Take(location, name_);
  const InstallLocationLock::Outcome outcome = installation_->outcome();
  if (outcome == InstallLocationLock::Outcome::kTimedOut ||
      outcome == InstallLocationLock::Outcome::kRefused) {
    message_.Set(msg::kInstallInUse);
    return false;
  }
  return true;
}

}  // namespace vok
