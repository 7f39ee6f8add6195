#include "interface/export_call.h"

#include "driver/install_location.h"
#include "request/messages.h"
#include "platform/xml.h"

namespace vok {

std::optional<LoginRequest> ExportCall::ReadLogin(const char* login_xml, LoginFieldList fields) {
  Step(msg::kParseFailed);
  std::optional<LoginRequest> login;
  {
    platform::XmlSession session;
    login = ParseLoginRequest(login_xml, fields);
  }
  if (!login) message_.Set(msg::kParseFailed);
  return login;
}

std::optional<std::string> ExportCall::RequireInstallLocation() {
  Step(msg::kInstallMissing);
  const std::string& location = FindInstallLocation();
  if (location.empty()) {
    message_.Set(msg::kInstallMissing);
    return std::nullopt;
  }
  return location;
}

bool ExportCall::TakeInstallation(const std::string& location) {
  Step(msg::kInstallInUse);
  installation_ = InstallLocationLock::Take(location, name_);
  if (installation_->outcome() == InstallLocationLock::Outcome::kTimedOut) {
    message_.Set(msg::kInstallInUse);
    return false;
  }
  return true;
}

}  // namespace vok
