#include "platform/files.h"

#include "platform/win32/unique_handle.h"

#include <climits>

namespace vok::platform {
namespace {

// CreateFileA + one WriteFile + CloseHandle; the close is checked because a
// delayed write can fail only there.
bool WriteNewFile(const std::string& path, std::string_view bytes, DWORD flags) {
  if (bytes.size() > MAXDWORD) return false;
  win32::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         flags, nullptr));
  if (!file) return false;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (!::WriteFile(file.get(), bytes.data(), size, &written, nullptr) || written != size) {
    return false;
  }
  if ((flags & FILE_FLAG_WRITE_THROUGH) != 0 && !::FlushFileBuffers(file.get())) return false;
  return file.close();
}

// The folder part of `path`, with its trailing separator, or "." when the
// path names a file in the current folder.
std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  if (cut == std::string::npos) return ".";
  // Keep "C:\" and "\" whole; GetTempFileNameA wants a folder, not "C:".
  return path.substr(0, cut + 1);
}

}  // namespace

bool DeleteFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool CopyFile(const std::string& from, const std::string& to) {
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::uint32_t> GetFileAttributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool SetFileAttributesNormal(const std::string& path) {
  return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool SetFileReadOnly(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  DWORD wanted = (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL)) | FILE_ATTRIBUTE_READONLY;
  return ::SetFileAttributesA(path.c_str(), wanted) != FALSE;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  return WriteNewFile(path, bytes, FILE_ATTRIBUTE_NORMAL);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  char temp[MAX_PATH + 1] = {};
  if (::GetTempFileNameA(FolderOf(path).c_str(), "vok", 0, temp) == 0) return false;
  // GetTempFileNameA has created the file; from here on it must go on failure.
  const std::string tempPath(temp);
  if (!WriteNewFile(tempPath, bytes, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH) ||
      !::MoveFileExA(tempPath.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileA(tempPath.c_str());
    ::SetLastError(error);  // the caller may want to know why, not how the cleanup went
    return false;
  }
  return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  win32::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > INT_MAX) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                    nullptr)) {
      return std::nullopt;
    }
    if (read == 0) break;  // the file shrank while we read it
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace vok::platform
