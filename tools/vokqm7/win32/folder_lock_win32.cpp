// The folder's lock on Windows: the lock file opened for writing with only
// reads shared. Every other open that asks to write fails with a sharing
// violation, on a share too, where the server keeps the share modes of
// every client; reads are shared so that a run that waits can say who
// holds the folder. Without delete shared, nobody can remove or rename the
// file while it is held.
#include "batch/folder_lock.h"
#include "host.h"
#include "platform/win32/text.h"
#include "platform/win32/win32.h"
#include "platform/win32/unique_handle.h"

namespace vok::tool {

// Closing the file lets the lock go.
struct LockFile::Handle {
  platform::win32::UniqueHandle file;
};

namespace {

bool Truncate(HANDLE file) {
  LARGE_INTEGER start{};
  return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
}

std::string Narrow(const wchar_t* wide) {
  return platform::win32::NarrowWithoutLoss(wide).value_or("");
}

}  // namespace

LockFile::LockFile(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

LockFile::~LockFile() {
  if (written_) (void)Truncate(handle_->file.get());
}

LockTry LockFile::Try(const std::string& path, std::unique_ptr<LockFile>& held,
                      std::string& found, std::string& reason) {
  auto handle = std::make_unique<Handle>();
  handle->file.reset(::CreateFileW(platform::win32::WidePath(path).c_str(),
                                   GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
  if (!handle->file) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return LockTry::kHeld;
    reason = LastFileError();
    return LockTry::kFailed;
  }
  char buffer[4096];
  DWORD read = 0;
  if (!::ReadFile(handle->file.get(), buffer, sizeof buffer, &read, nullptr)) read = 0;
  found.assign(buffer, read);
  held.reset(new LockFile(std::move(handle)));
  return LockTry::kTaken;
}

bool LockFile::Write(std::string_view text) {
  DWORD written = 0;
  if (!Truncate(handle_->file.get()) ||
      !::WriteFile(handle_->file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                   nullptr) ||
      written != text.size()) {
    return false;
  }
  written_ = true;
  return true;
}

bool LockFile::StillAt(const std::string&) const { return true; }

std::string DeskName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return ::GetComputerNameW(name, &size) ? Narrow(name) : "";
}

std::string UserName() {
  wchar_t name[257] = L"";
  DWORD size = 257;
  return ::GetUserNameW(name, &size) ? Narrow(name) : "";
}

}  // namespace vok::tool
