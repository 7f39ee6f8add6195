// How the login fields are read from the caller's login XML.
#pragma once

#include <cstddef>
#include <optional>

#include "request/login_request.h"

namespace vok {

enum class LoginField {
  kServer,
  kYear,
  kPeriod,
  kAccountCode,
  kUserId,
  kPassword,
  kLoginDate,
  kFileRep,
  kReportType,
};

// The field lists of the exports, in reading order.
struct LoginFieldList {
  const LoginField* fields;
  std::size_t count;
};

extern const LoginFieldList kBatchLoginFields;      // the combined exports, GetReport
extern const LoginFieldList kByTypeLoginFields;     // GetReportV2
extern const LoginFieldList kInteractiveLoginFields;  // OpenReportV2

// The element path of a field, e.g. "//Info/LoginInfo/Server".
const char* LoginFieldPath(LoginField field);

// Reads `fields` from the login XML text into a fresh record. Fails (nothing)
// when the text cannot be loaded, a field's element is missing or the XML
// DOM reports any error; a null text fails like an unreadable one. The
// caller must hold a platform::XmlSession.
std::optional<LoginRequest> ParseLoginRequest(const char* login_xml, LoginFieldList fields);

}  // namespace vok
