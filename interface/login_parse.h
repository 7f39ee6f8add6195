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

// The name a field goes by in the trace ("account", "year", ...).
const char* LoginFieldTraceName(LoginField field);

// Why a login text could not be read, for the trace: never its content.
struct LoginParseFailure {
  enum class Kind { kNoText, kNotWellFormed, kFieldMissing, kDomError };
  Kind kind = Kind::kNoText;
  const char* missing_field = nullptr;  // kFieldMissing: its path
  long line = 0;                        // kNotWellFormed: where the parser
  long column = 0;                      // gave up, when it tells
};

// Reads `fields` from the login XML text into a fresh record. Fails (nothing)
// when the text cannot be loaded, a field's element is missing or the XML
// DOM reports any error; a null text fails like an unreadable one. Why goes
// to `failure` when given. The caller must hold a platform::XmlSession.
std::optional<LoginRequest> ParseLoginRequest(const char* login_xml, LoginFieldList fields,
                                              LoginParseFailure* failure = nullptr);

}  // namespace vok
