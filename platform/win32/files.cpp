#include "platform/files.h"

#include "platform/busy_retry.h"
#include "platform/faults.h"
#include "platform/win32/busy.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

#include <atomic>
#include <climits>

namespace vok::platform {

std::uint32_t LastSystemErrorCode() { return ::GetLastError(); }
namespace {

using win32::WidePath;

// CreateFileW + one WriteFile + CloseHandle; the close is checked because a
// delayed write can fail only there.
bool WriteNewFile(const std::wstring& path, std::string_view bytes, DWORD flags) {
  if (bytes.size() > MAXDWORD) return false;
  win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         flags, nullptr));
  if (!file) return false;
  DWORD written = 0;
  DWORD size = static_cast<DWORD>(bytes.size());
  // A test's full disk: only the first half reaches the file.
  const int full = InjectedError(faults::Operation::kWriteFile);
  if (full != 0) size /= 2;
  if (!::WriteFile(file.get(), bytes.data(), size, &written, nullptr) || written != size) {
    return false;
  }
  if (full != 0) {
    ::SetLastError(static_cast<DWORD>(full));
    return false;
  }
  if ((flags & FILE_FLAG_WRITE_THROUGH) != 0 && !::FlushFileBuffers(file.get())) return false;
  return file.close();
}

// The folder part of `path`, with its trailing separator, or "." when the
// path names a file in the current folder. Wide, so that the trail byte of
// a GBK character is never taken for a backslash.
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/:");
  if (cut == std::wstring::npos) return L".";
  // Keep "C:\" and "\" whole; GetTempFileNameW wants a folder, not "C:".
  return path.substr(0, cut + 1);
}

// Names for files set aside in the folder of `path`: unique within the
// process by a counter, and across processes by the process id.
std::wstring AsideName(const std::wstring& path, const wchar_t* suffix) {
  static std::atomic<unsigned> counter{0};
  wchar_t tail[48];
  ::wsprintfW(tail, L"~vok%lx-%x%s", ::GetCurrentProcessId(), counter.fetch_add(1), suffix);
  return FolderOf(path) + tail;
}

// A file that another program holds with delete sharing (a virus scanner)
// stays under its name, "delete pending", until that program lets go, and
// nothing can be made under the name until then (Windows before 10 1903).
// Renamed first, it frees the name at once; a rename that fails (a folder,
// a name too long for the aside one) leaves the plain delete.
bool DeleteOnce(const std::wstring& path) {
  if (InjectedFailure(faults::Operation::kDeleteFile)) return false;
  if (InjectedFailure(faults::Operation::kDeleteLeavesFile)) return true;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ::DeleteFileW(path.c_str()) != FALSE;
  }
  const std::wstring aside = AsideName(path, L".del");
  if (!::MoveFileExW(path.c_str(), aside.c_str(), 0)) return ::DeleteFileW(path.c_str()) != FALSE;
  if (::DeleteFileW(aside.c_str())) return true;
  // Not deletable (read-only, say): put back as it was.
  const DWORD error = ::GetLastError();
  ::MoveFileExW(aside.c_str(), path.c_str(), 0);
  ::SetLastError(error);
  return false;
}

}  // namespace

namespace win32 {

std::wstring WidePath(std::string_view path) {
  std::wstring wide = NarrowToWide(kGbkCodePage, path);
  // Past MAX_PATH the plain form fails; the extended form takes any length
  // once the path is made full (it skips the usual clean-up of "." and "/").
  if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool IsBusyFailure(const std::string& path) {
  const DWORD error = ::GetLastError();  // the conversion must not change it
  const std::wstring wide = WidePath(path);
  ::SetLastError(error);
  return IsBusyFailure(wide);
}

bool IsBusyFailure(const std::wstring& path) {
  const DWORD error = ::GetLastError();
  bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
  if (error == ERROR_ACCESS_DENIED) {
    // A name being deleted refuses even a look at its attributes, with the
    // same error; a name that is gone says so.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    busy = attributes != INVALID_FILE_ATTRIBUTES
               ? (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0
               : ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  ::SetLastError(error);
  return busy;
}

}  // namespace win32

Status DeleteFile(const std::string& path) {
  const std::wstring wide = WidePath(path);
  return Status::Of(RetryWhileBusy([&] { return DeleteOnce(wide); },
                                   [&] { return win32::IsBusyFailure(wide); }),
                    "delete");
}

Status CopyFile(const std::string& from, const std::string& to) {
  const std::wstring wideFrom = WidePath(from);
  const std::wstring wideTo = WidePath(to);
  return Status::Of(RetryWhileBusy(
                        [&] {
                          return !InjectedFailure(faults::Operation::kCopyFile) &&
                                 ::CopyFileW(wideFrom.c_str(), wideTo.c_str(), FALSE) != FALSE;
                        },
                        [&] { return win32::IsBusyFailure(wideTo); }),
                    "copy");
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::uint32_t> GetFileAttributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

Status SetFileAttributesNormal(const std::string& path) {
  return Status::Of(!InjectedFailure(faults::Operation::kSetFileAttributesNormal) &&
                        ::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE,
                    "make writable");
}

bool SetFileReadOnly(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  DWORD wanted = (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL)) | FILE_ATTRIBUTE_READONLY;
  return ::SetFileAttributesW(wide.c_str(), wanted) != FALSE;
}

Status WriteWholeFile(const std::string& path, std::string_view bytes) {
  return Status::Of(WriteNewFile(WidePath(path), bytes, FILE_ATTRIBUTE_NORMAL), "write");
}

Status ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const std::wstring target = WidePath(path);
  // Not GetTempFileNameW: it refuses a folder longer than MAX_PATH - 14.
  const std::wstring tempPath = AsideName(target, L".tmp");
  const auto move = [&] {
    return ::MoveFileExW(tempPath.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  };
  if (!WriteNewFile(tempPath, bytes, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH) ||
      !RetryWhileBusy(move, [&] { return win32::IsBusyFailure(target); })) {
    // Why it failed, not how the clean-up went.
    const Status failed = Status::Failed("replace");
    ::DeleteFileW(tempPath.c_str());
    return failed;
  }
  return {};
}

// Sharing writing and deleting as well: a reader must neither fail on a
// file another program writes (a trace a call appends to) nor keep that
// program from opening, writing or moving it meanwhile.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  const std::wstring wide = WidePath(path);
  win32::UniqueHandle file;
  const auto open = [&] {
    file.reset(::CreateFileW(wide.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
  };
  if (!RetryWhileBusy(open, [&] { return win32::IsBusyFailure(wide); })) return std::nullopt;
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

bool IsOnNetworkDrive(const std::string& folder) {
  if (InjectedFailure(faults::Operation::kFolderIsRemote)) return true;
  wchar_t root[MAX_PATH + 1] = {};
  return ::GetVolumePathNameW(WidePath(folder).c_str(), root, MAX_PATH) &&
         ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

// The mark has a name of its own for each call: a fixed one is still
// "delete pending", and cannot be made again, while a virus scanner or an
// indexer holds the last call's mark open, and a file of that name that
// someone else left would stop every run.
std::optional<std::uint64_t> FileSystemNow(const std::string& folder) {
  static std::atomic<unsigned> marks{0};
  constexpr int kNamesTried = 8;
  for (int tried = 0; tried < kNamesTried; ++tried) {
    const std::wstring name = WidePath(folder) + L"\\vokqm7.clock." +
                              std::to_wstring(::GetCurrentProcessId()) + L"." +
                              std::to_wstring(marks.fetch_add(1));
    const win32::UniqueHandle file(::CreateFileW(
        name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
      // Taken, or a taken name still being deleted: another name.
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ACCESS_DENIED) continue;
      return std::nullopt;
    }
    DWORD written = 0;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::WriteFile(file.get(), "x", 1, &written, nullptr) ||
        !::GetFileInformationByHandle(file.get(), &information)) {
      return std::nullopt;
    }
    return (static_cast<std::uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
           information.ftLastWriteTime.dwLowDateTime;
  }
  return std::nullopt;
}

std::uint64_t FileTimeSpan(std::uint32_t seconds) { return static_cast<std::uint64_t>(seconds) * 10000000u; }

std::uint64_t FileTimeNow(std::uint32_t secondsBack) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks =
      ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) +
      static_cast<std::uint64_t>(
          static_cast<std::int64_t>(InjectedError(faults::Operation::kLocalClockSkew)) * 10000000);
  const std::uint64_t back = static_cast<std::uint64_t>(secondsBack) * 10000000u;
  return ticks > back ? ticks - back : 0;
}

bool SetLastWriteTime(const std::string& path, std::uint64_t last_write) {
  win32::UniqueHandle file(::CreateFileW(WidePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  FILETIME time{static_cast<DWORD>(last_write), static_cast<DWORD>(last_write >> 32)};
  return ::SetFileTime(file.get(), nullptr, nullptr, &time) != FALSE;
}

// Opening for attributes only asks for no data access, so no share mode of
// another handle stands in its way.
std::optional<FileStamp> StampOf(const std::string& path) {
  win32::UniqueHandle file(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(file.get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  const auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  FileStamp stamp;
  stamp.size = join(information.nFileSizeHigh, information.nFileSizeLow);
  stamp.last_write =
      join(information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime);
  stamp.volume = information.dwVolumeSerialNumber;
  stamp.index = join(information.nFileIndexHigh, information.nFileIndexLow);
  return stamp;
}

// Asking for delete access conflicts with every handle that does not share
// deleting, which is what makes a delete or a replacement fail.
FileUse ProbeFileUse(const std::string& path) {
  win32::UniqueHandle file(::CreateFileW(WidePath(path).c_str(), DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return FileUse::kFree;
  return ::GetLastError() == ERROR_SHARING_VIOLATION ? FileUse::kOpenElsewhere : FileUse::kUnknown;
}

}  // namespace vok::platform
