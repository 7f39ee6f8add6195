#include "platform/win32/security.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/faults.h"
#include "platform/win32/unique_handle.h"

namespace vok::platform::win32 {

constexpr char kLocalSystem[] = "S-1-5-18";
constexpr char kAdministrators[] = "S-1-5-32-544";
constexpr char kCreatorOwner[] = "S-1-3-0";
constexpr char kOwnerRights[] = "S-1-3-4";

// What lets a holder add, change, rename or remove files in a folder.
constexpr ACCESS_MASK kWriteRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_DATA |
                                     FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                     WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// What the fault seam makes the system say a file's owner is: 544 the
// administrators, 18 the system, any other number another user.
std::string PretendedOwner(int rid) {
  if (rid == 544) return kAdministrators;
  if (rid == 18) return kLocalSystem;
  return "S-1-5-21-1-2-3-" + std::to_string(rid);
}

std::optional<std::string> SidText(PSID sid) {
  LocalMemory text;
  if (sid == nullptr ||
      !::ConvertSidToStringSidW(sid, reinterpret_cast<wchar_t**>(text.put()))) {
    return std::nullopt;
  }
  // SID texts are ASCII.
  std::string narrow;
  for (const wchar_t* at = static_cast<const wchar_t*>(text.get()); *at != L'\0'; ++at) {
    narrow += static_cast<char>(*at);
  }
  return narrow;
}

SecurityDescriptor::SecurityDescriptor(const wchar_t* sddl) {
  ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                         descriptor_.put(), nullptr);
}

SECURITY_ATTRIBUTES* SecurityDescriptor::Attributes() {
  attributes_ = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), descriptor_.get(), FALSE};
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
  if (const int pretended = InjectedError(faults::Operation::kFileOwner)) {
    return PretendedOwner(pretended);
  }
  PSID owner = nullptr;
  LocalMemory descriptor;
  if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, descriptor.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return SidText(owner);
}

bool IsSystemOrAdministrators(const std::string& sid) {
  return sid == kLocalSystem || sid == kAdministrators ||
         sid == "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}

std::optional<std::string> OtherWriter(HANDLE handle, const std::string& user) {
  PACL dacl = nullptr;
  LocalMemory descriptor;
  if (::GetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        &dacl, nullptr, descriptor.put()) != ERROR_SUCCESS) {
    return "someone (its permissions cannot be read)";
  }
  std::optional<std::string> writer;
  if (dacl == nullptr) writer = "everyone";
  for (DWORD index = 0; !writer && dacl != nullptr && index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!::GetAce(dacl, index, &ace)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kWriteRights) == 0) continue;
    const std::optional<std::string> sid =
        SidText(const_cast<DWORD*>(&allowed->SidStart));
    if (sid && *sid != user && !IsSystemOrAdministrators(*sid) && *sid != kCreatorOwner &&
        *sid != kOwnerRights) {
      writer = sid;
    }
  }
  return writer;
}

TokenKind HostTokenKind() {
  if (const int rid = InjectedError(faults::Operation::kTokenIntegrity)) {
    return rid < SECURITY_MANDATORY_MEDIUM_RID ? TokenKind::kLowIntegrity : TokenKind::kStandard;
  }
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return TokenKind::kStandard;
  const UniqueHandle token(raw);
  DWORD in_container = 0;
  DWORD size = 0;
  if (::GetTokenInformation(token.get(), TokenIsAppContainer, &in_container,
                            sizeof in_container, &size) &&
      in_container != 0) {
    return TokenKind::kAppContainer;
  }
  unsigned char buffer[128];
  if (!::GetTokenInformation(token.get(), TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
    return TokenKind::kStandard;
  }
  const PSID label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  const DWORD rid = *::GetSidSubAuthority(label, *::GetSidSubAuthorityCount(label) - 1);
  return rid < SECURITY_MANDATORY_MEDIUM_RID ? TokenKind::kLowIntegrity : TokenKind::kStandard;
}

}  // namespace vok::platform::win32
