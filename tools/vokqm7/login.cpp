#include "login.h"

#include <utility>

#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

struct FieldName {
  const char* option;
  const char* element;
  std::optional<std::string> LoginFields::*member;
};

constexpr FieldName kFields[] = {
    {"--account", "AccountCode", &LoginFields::account},
    {"--year", "Year", &LoginFields::year},
    {"--period", "Period", &LoginFields::period},
    {"--server", "Server", &LoginFields::server},
    {"--user", "UserID", &LoginFields::user},
    {"--password", "Password", &LoginFields::password},
    {"--login-date", "LoginDate", &LoginFields::login_date},
    {"--template", "FileRep", &LoginFields::file_rep},
    {"--type", "ReportType", &LoginFields::report_type},
};

}  // namespace

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string CommandLineFault(std::string_view gbk) {
  for (std::size_t at = 0; at < gbk.size(); ++at) {
    const unsigned char c = static_cast<unsigned char>(gbk[at]);
    const char* what = nullptr;
    if (c >= 0x81 && c <= 0xFE && at + 1 < gbk.size()) {
      ++at;
    } else if (c == ' ') {
      what = N_("a blank");
    } else if (c == '{' || c == '}') {
      what = N_("a brace");
    } else if (c == '"') {
      what = N_("a double quote");
    } else if (c < 0x20 || c == 0x7F) {
      what = N_("a control character");
    }
    if (what != nullptr) {
      return TrF("\"%s\" holds %s: the report tool's command line cannot carry it", gbk,
                 Tr(what));
    }
  }
  return "";
}

std::string ServerFault(std::string_view gbk) {
  std::string fault = CommandLineFault(gbk);
  // As characters: a GBK trail byte may be a backslash.
  const std::u16string text = platform::GbkToUtf16(gbk);
  if (fault.empty() && !text.empty() && text.back() == u'\\') {
    fault = TrF("\"%s\" ends in a backslash: the report tool's command line cannot carry it, as "
                "it would take the closing quote for part of the server",
                gbk);
  }
  return fault;
}

std::string BuildLoginXml(const LoginFields& fields) {
  std::string xml = "<Info><LoginInfo>";
  for (const FieldName& field : kFields) {
    const std::optional<std::string>& value = fields.*(field.member);
    if (!value) continue;
    xml += std::string("<") + field.element + ">" + EscapeXml(*value) + "</" + field.element + ">";
  }
  return xml + "</LoginInfo></Info>";
}

std::vector<std::string> MissingFields(const LoginFields& fields,
                                       const std::vector<std::string>& required) {
  std::vector<std::string> missing;
  for (const std::string& option : required) {
    for (const FieldName& field : kFields) {
      if (option == field.option && !(fields.*(field.member))) missing.push_back(option);
    }
  }
  return missing;
}

}  // namespace vok::tool
