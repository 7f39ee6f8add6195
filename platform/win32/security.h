// Users and owners as the Windows security model names them: who a process
// runs as, who owns a file, and descriptors made from SDDL texts.
#pragma once

#include "platform/win32/win32.h"

#include <optional>
#include <string>

namespace vok::platform::win32 {

// The security descriptor of an SDDL text, freed with LocalFree.
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const wchar_t* sddl);
  ~SecurityDescriptor();
  SecurityDescriptor(const SecurityDescriptor&) = delete;
  SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

  [[nodiscard]] bool Made() const { return descriptor_ != nullptr; }

  // Attributes for a non-inheritable handle.
  SECURITY_ATTRIBUTES* Attributes();

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
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

// Whether `sid` is the system's own: LocalSystem, Administrators or
// TrustedInstaller, which no standard user can act as.
bool IsSystemSid(const std::string& sid);

}  // namespace vok::platform::win32
