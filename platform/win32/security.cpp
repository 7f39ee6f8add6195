#include "platform/win32/security.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/unique_handle.h"

namespace vok::platform::win32 {

std::optional<std::string> SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (sid == nullptr || !::ConvertSidToStringSidW(sid, &text)) return std::nullopt;
  // SID texts are ASCII.
  std::string narrow;
  for (const wchar_t* at = text; *at != L'\0'; ++at) narrow += static_cast<char>(*at);
  ::LocalFree(text);
  return narrow;
}

SecurityDescriptor::SecurityDescriptor(const wchar_t* sddl) {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor_,
                                                              nullptr)) {
    descriptor_ = nullptr;
  }
}

SecurityDescriptor::~SecurityDescriptor() {
  if (descriptor_ != nullptr) ::LocalFree(descriptor_);
}

SECURITY_ATTRIBUTES* SecurityDescriptor::Attributes() {
  attributes_ = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), descriptor_, FALSE};
  return &attributes_;
}

std::optional<std::string> ProcessUserSid(HANDLE process) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &raw)) return std::nullopt;
  const UniqueHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::string buffer(size, '\0');
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    return std::nullopt;
  }
  return SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

std::optional<std::string> FileOwnerSid(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<std::string> text = SidText(owner);
  ::LocalFree(descriptor);
  return text;
}

bool IsSystemSid(const std::string& sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-32-544" ||
         sid == "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}

}  // namespace vok::platform::win32
