#include "interface/login_parse.h"

#include "request/text_rules.h"
#include "platform/xml.h"

namespace vok {
namespace {

constexpr LoginField kBatch[] = {LoginField::kAccountCode, LoginField::kYear,
                                 LoginField::kPeriod, LoginField::kServer};
constexpr LoginField kByType[] = {LoginField::kAccountCode, LoginField::kYear,
                                  LoginField::kPeriod,      LoginField::kServer,
                                  LoginField::kReportType,  LoginField::kFileRep};
constexpr LoginField kInteractive[] = {
    LoginField::kAccountCode, LoginField::kUserId, LoginField::kPassword,
    LoginField::kLoginDate,   LoginField::kYear,   LoginField::kPeriod,
    LoginField::kServer,      LoginField::kFileRep};

void Store(LoginRequest& request, LoginField field, std::string text) {
  switch (field) {
    case LoginField::kServer: request.server = std::move(text); break;
    case LoginField::kYear: request.year = ParseLeadingInteger(text); break;
    case LoginField::kPeriod: request.period = ParseLeadingInteger(text); break;
    case LoginField::kAccountCode: request.account_code = std::move(text); break;
    case LoginField::kUserId: request.user_id = std::move(text); break;
    case LoginField::kPassword: request.password = std::move(text); break;
    case LoginField::kLoginDate: request.login_date = std::move(text); break;
    case LoginField::kFileRep: request.file_rep = std::move(text); break;
    case LoginField::kReportType: request.report_type = std::move(text); break;
  }
}

}  // namespace

const LoginFieldList kBatchLoginFields = {kBatch, std::size(kBatch)};
const LoginFieldList kByTypeLoginFields = {kByType, std::size(kByType)};
const LoginFieldList kInteractiveLoginFields = {kInteractive, std::size(kInteractive)};

const char* LoginFieldPath(LoginField field) {
  switch (field) {
    case LoginField::kServer: return "//Info/LoginInfo/Server";
    case LoginField::kYear: return "//Info/LoginInfo/Year";
    case LoginField::kPeriod: return "//Info/LoginInfo/Period";
    case LoginField::kAccountCode: return "//Info/LoginInfo/AccountCode";
    case LoginField::kUserId: return "//Info/LoginInfo/UserID";
    case LoginField::kPassword: return "//Info/LoginInfo/Password";
    case LoginField::kLoginDate: return "//Info/LoginInfo/LoginDate";
    case LoginField::kFileRep: return "//Info/LoginInfo/FileRep";
    case LoginField::kReportType: return "//Info/LoginInfo/ReportType";
  }
  return "";
}

const char* LoginFieldTraceName(LoginField field) {
  switch (field) {
    case LoginField::kServer: return "server";
    case LoginField::kYear: return "year";
    case LoginField::kPeriod: return "period";
    case LoginField::kAccountCode: return "account";
    case LoginField::kUserId: return "user";
    case LoginField::kPassword: return "password";
    case LoginField::kLoginDate: return "login_date";
    case LoginField::kFileRep: return "file_rep";
    case LoginField::kReportType: return "report_type";
  }
  return "";
}

std::optional<LoginRequest> ParseLoginRequest(const char* login_xml, LoginFieldList fields,
                                              LoginParseFailure* failure) {
  LoginParseFailure ignored;
  LoginParseFailure& why = failure != nullptr ? *failure : ignored;
  why = LoginParseFailure{};
  if (login_xml == nullptr) return std::nullopt;
  try {
    platform::XmlDocument document = platform::XmlDocument::Create();
    // Whether the text parsed does not decide anything: a text that does
    // not parse leaves an empty document, and the first field lookup fails.
    const platform::XmlLoad loaded = document.LoadText(login_xml);
    LoginRequest request;
    for (std::size_t i = 0; i < fields.count; ++i) {
      std::optional<platform::XmlNode> node =
          document.SelectSingleNode(LoginFieldPath(fields.fields[i]));
      if (!node) {
        why.kind = loaded == platform::XmlLoad::kParsed ? LoginParseFailure::Kind::kFieldMissing
                                                        : LoginParseFailure::Kind::kNotWellFormed;
        why.missing_field = LoginFieldPath(fields.fields[i]);
        if (const std::optional<platform::XmlParseStop> stop = document.ParseStop()) {
          why.line = stop->line;
          why.column = stop->column;
        }
        return std::nullopt;
      }
      Store(request, fields.fields[i], node->Text());
    }
    return request;
  } catch (const platform::XmlError&) {
    why.kind = LoginParseFailure::Kind::kDomError;
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    why.kind = LoginParseFailure::Kind::kDomError;
    return std::nullopt;
  }
}

}  // namespace vok
