// Users and owners as the Windows security model names them: who a process
// runs as, who owns a file, and descriptors made from SDDL texts.
#pragma once

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

#include <optional>
#include <string>

namespace vok::platform::win32 {

// The security descriptor of an SDDL text.
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const wchar_t* sddl);

  [[nodiscard]] bool Made() const { return descriptor_.valid(); }

  // Attributes for a non-inheritable handle.
  SECURITY_ATTRIBUTES* Attributes();

 private:
  LocalMemory descriptor_;
  SECURITY_ATTRIBUTES attributes_{};
};

// A SID as its text ("S-1-5-21-..."); nothing for a null SID or one that
// cannot be converted.
std::optional<std::string> SidText(PSID sid);

// The user a process runs as, as a SID text ("S-1-5-21-..."); nothing when
// its token cannot be opened (another user's process, for a caller that is
// not an administrator). `process` needs PROCESS_QUERY_LIMITED_INFORMATION.
std::optional<std::string> ProcessUserSid(HANDLE process);

// The owner of the file or folder `handle` (opened with READ_CONTROL), as
// a SID text.
std::optional<std::string> FileOwnerSid(HANDLE handle);

// Whether `sid` is LocalSystem, BUILTIN\Administrators or
// TrustedInstaller: an owner that only the machine's administration can be,
// never another standard user.
bool IsSystemOrAdministrators(const std::string& sid);

// A user or group other than `user`, the system and the administrators
// that the DACL of `handle` (opened with READ_CONTROL) lets add, change or
// remove files, as a SID text ("everyone" for no DACL at all); nothing
// when there is none.
std::optional<std::string> OtherWriter(HANDLE handle, const std::string& user);

enum class TokenKind {
  kStandard,      // Medium integrity or above
  kLowIntegrity,  // may not open objects that Medium-integrity programs made
  kAppContainer,
};

// What the host's own token is.
TokenKind HostTokenKind();

}  // namespace vok::platform::win32
