#include "host.h"

#include "platform/path_parts.h"
#include "platform/win32/text.h"
#include "platform/win32/win32.h"
#include "platform/win32/unique_handle.h"

#include <aclapi.h>

namespace vok::tool {
namespace {

// The DACL of a file or folder, owned with the descriptor it lives in.
class Dacl {
 public:
  explicit Dacl(const std::wstring& path) {
    ok_ = ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, &dacl_, nullptr, descriptor_.put()) ==
          ERROR_SUCCESS;
  }

  bool ok() const { return ok_; }
  const ACL* get() const { return dacl_; }  // null: no DACL, everyone may do anything

 private:
  bool ok_ = false;
  PACL dacl_ = nullptr;
  platform::win32::LocalMemory descriptor_;
};

// Everyone, Authenticated Users (the services' accounts among them) and
// Users: an entry for one of them reaches every account that runs a client.
bool IsEveryAccount(PSID sid) {
  for (const WELL_KNOWN_SID_TYPE type : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid}) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    if (::CreateWellKnownSid(type, nullptr, buffer, &size) && ::EqualSid(sid, buffer)) return true;
  }
  return false;
}

// Whether `dacl` lets every account do `right`: taken in order, as Windows
// takes them, the first entry for every account that names the right
// decides. `new_files`: the entries a file made in the folder inherits,
// instead of the folder's own.
bool EveryAccountMay(const ACL* dacl, DWORD right, bool new_files) {
  if (dacl == nullptr) return true;
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(const_cast<ACL*>(dacl), i, &entry)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    const bool applies = new_files ? (header->AceFlags & OBJECT_INHERIT_ACE) != 0
                                   : (header->AceFlags & INHERIT_ONLY_ACE) == 0;
    if (!applies) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
      continue;
    }
    // Both kinds of entry share one layout.
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    DWORD mask = ace->Mask;
    ::MapGenericMask(&mask, &mapping);
    if ((mask & right) == 0 || !IsEveryAccount(&ace->SidStart)) continue;
    return header->AceType == ACCESS_ALLOWED_ACE_TYPE;
  }
  return false;
}

}  // namespace

bool EveryAccountMayAppend(const std::string& gbk_path) {
  std::string folder = platform::FolderOfPath(gbk_path);
  if (!folder.empty() && folder.back() == ':') folder += '\\';
  const Dacl file(platform::win32::WidePath(gbk_path));
  const Dacl in(platform::win32::WidePath(folder));
  return !folder.empty() && file.ok() && in.ok() &&
         EveryAccountMay(file.get(), FILE_APPEND_DATA, false) &&
         EveryAccountMay(in.get(), FILE_ADD_FILE, false) &&
         EveryAccountMay(in.get(), FILE_APPEND_DATA, true);
}

}  // namespace vok::tool
