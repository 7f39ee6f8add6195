#include "bundle/bundle_files.h"

#include <optional>

#include "platform/process.h"
#include "platform/win32/security.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace vok::tool {
namespace {

using platform::win32::UniqueHandle;
using platform::win32::WidePath;

constexpr DWORD kReadLimit = DWORD{256} << 20;

// What this process's token says of `kind` (TokenOwner, TokenDefaultDacl),
// in a buffer of its own; empty when it cannot be asked.
std::string TokenInformation(TOKEN_INFORMATION_CLASS kind) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  const UniqueHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), kind, nullptr, 0, &size);
  std::string buffer(size, '\0');
  if (size == 0 || !::GetTokenInformation(token.get(), kind, buffer.data(), size, &size)) return {};
  return buffer;
}

}  // namespace

UnfollowedFile ReadUnfollowed(const std::string& gbk_path) {
  UnfollowedFile file;
  const std::wstring path = WidePath(gbk_path);
  const UniqueHandle handle(::CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
  if (!handle) {
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    file.refusal =
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadRefusal::kMissing
        : attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
            ? ReadRefusal::kNotAFile
            : ReadRefusal::kCannotRead;
    return file;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle.get(), &info)) {
    file.refusal = ReadRefusal::kCannotRead;
    return file;
  }
  file.owner = platform::win32::FileOwnerSid(handle.get()).value_or("");
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    file.refusal = ReadRefusal::kLink;
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
             ::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    file.refusal = ReadRefusal::kNotAFile;
  } else if (info.nNumberOfLinks > 1) {
    file.refusal = ReadRefusal::kSecondName;
  } else if (info.nFileSizeHigh != 0 || info.nFileSizeLow > kReadLimit || file.owner.empty()) {
    file.refusal = ReadRefusal::kCannotRead;
  }
  if (file.refusal != ReadRefusal::kNone) return file;
  // Read to the end, which may have moved on since the size was asked.
  char buffer[65536];
  for (DWORD got = 0;;) {
    if (!::ReadFile(handle.get(), buffer, sizeof buffer, &got, nullptr)) {
      file.refusal = ReadRefusal::kCannotRead;
      file.bytes.clear();
      return file;
    }
    if (got == 0) break;
    file.bytes.append(buffer, got);
    if (file.bytes.size() > kReadLimit) {
      file.refusal = ReadRefusal::kCannotRead;
      file.bytes.clear();
      return file;
    }
  }
  return file;
}

bool IsOwnedByThisUser(const std::string& owner) {
  if (owner.empty()) return false;
  if (owner == platform::CurrentUser()) return true;
  const std::string token_owner = TokenInformation(TokenOwner);
  return !token_owner.empty() &&
         platform::win32::SidText(
             reinterpret_cast<const TOKEN_OWNER*>(token_owner.data())->Owner) == owner;
}

bool WriteForThisUserAlone(const std::string& gbk_path, std::string_view bytes) {
  const std::string dacl = TokenInformation(TokenDefaultDacl);
  const auto* default_dacl = reinterpret_cast<const TOKEN_DEFAULT_DACL*>(dacl.data());
  // No default DACL would leave the file open to everyone.
  if (dacl.empty() || default_dacl->DefaultDacl == nullptr) return false;
  SECURITY_DESCRIPTOR descriptor;
  if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&descriptor, TRUE, default_dacl->DefaultDacl, FALSE) ||
      !::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return false;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  // A new file takes the descriptor; one replaced in place would keep its
  // own, so the bundle is written beside and moved over.
  const std::wstring path = WidePath(gbk_path);
  const std::wstring temporary = path + L".tmp" + std::to_wstring(::GetCurrentProcessId());
  UniqueHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bool written = true;
  for (std::size_t at = 0; written && at < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1 << 20));
    DWORD done = 0;
    written = ::WriteFile(file.get(), bytes.data() + at, chunk, &done, nullptr) && done > 0;
    at += done;
  }
  written = written && ::FlushFileBuffers(file.get()) && file.close();
  if (!written || !::MoveFileExW(temporary.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    file.reset();
    ::DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool IsAbsolutePath(std::string_view gbk_path) {
  const auto separator = [&](std::size_t at) {
    return at < gbk_path.size() && (gbk_path[at] == '\\' || gbk_path[at] == '/');
  };
  const bool drive =
      gbk_path.size() >= 3 && gbk_path[1] == ':' &&
      ((gbk_path[0] >= 'A' && gbk_path[0] <= 'Z') || (gbk_path[0] >= 'a' && gbk_path[0] <= 'z')) &&
      separator(2);
  return drive || (separator(0) && separator(1));
}

}  // namespace vok::tool
