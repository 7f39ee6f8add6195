// The installation lock on Windows: a named mutex in the global namespace,
// so that the sessions of a terminal server share it, named by the volume
// and file index of the installation folder (every spelling of its path
// meets the same mutex) and open to every user. A mutex belongs to the
// thread that took it: it is released on that thread, and the system hands
// it on (abandoned) when that thread or its process ends. The handle is not
// inheritable, and the report tool is started without inherited handles.
// A mutex that another caller made with other security (another integrity
// level, an older build) and that refuses the rights asked for is opened to
// wait on only.
//
// Then "vokqm7.lock" in the installation folder, opened with no sharing,
// on every call: the machine that has the folder on its own disk and the
// machines that map it over the network meet in no mutex, only in the
// file. Read access is all it asks, so that a file that another user made
// (and only that user may write) still serves everyone.
//
// Records: %LOCALAPPDATA%\VOKQM7\<folder identity>.holder, one per
// installation, in the user's own profile, where no other user can write.
// They are made with the user as their owner, so that an elevated host
// (whose files the administrators would own) and an unelevated one of the
// same account share them; a record is plain file of one name, never a
// link, so that a planted one cannot make a holder write another file.
#include "platform/install_lock.h"

#include <vector>

#include "platform/busy_retry.h"
#include "platform/faults.h"
#include "platform/install_lock_record.h"
#include "platform/install_lock_rules.h"
#include "platform/process.h"
#include "platform/win32/busy.h"
#include "platform/win32/host_wait.h"
#include "platform/win32/security.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"
#include "platform/deadline.h"

namespace vok::platform {

struct InstallLock::State {
  win32::UniqueHandle mutex;  // empty until it could be made or opened
  std::wstring mutex_name;
  std::wstring identity;  // of the installation folder
  std::wstring folder;    // the records' folder; empty when the user has none
  std::string user;       // this caller's SID
  win32::UniqueHandle record;  // this user's record, while held and published
  std::wstring share_lock_path;
  win32::UniqueHandle share_lock;
  DWORD refused = ERROR_SUCCESS;  // why the lock cannot be had, for good
  bool held = false;
  bool clear_on_release = false;
  std::uint32_t failure = 0;  // the system's error of the last kFailed

  std::wstring RecordPath() const { return folder + L"\\" + identity + L".holder"; }

  ~State() {
    if (!held) return;
    share_lock.reset();
    // Taken back only when the holder saw its own tool end; removed through
    // the handle, never by a name that could point elsewhere by now.
    if (record && clear_on_release) {
      FILE_DISPOSITION_INFO remove{TRUE};
      ::SetFileInformationByHandle(record.get(), FileDispositionInfo, &remove, sizeof remove);
    }
    record.reset();
    ::ReleaseMutex(mutex.get());
  }
};

namespace {

// Everyone may wait for and release the mutex (SYNCHRONIZE |
// MUTEX_MODIFY_STATE); the system and administrators may do anything.
constexpr wchar_t kMutexSddl[] = L"D:(A;;0x00100001;;;WD)(A;;GA;;;SY)(A;;GA;;;BA)";
constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;
constexpr std::size_t kRecordLimit = 4096;
constexpr wchar_t kShareLockName[] = L"\\vokqm7.lock";
// A lock file refused to this user may be one being deleted: that passes
// in a moment.
constexpr std::uint32_t kShareLockRefusalGraceMs = 1000;
constexpr DWORD kShareLockPauseMs = 50;

// Volume serial number and file index of the installation folder, as hex
// digits; nothing when it is not an existing folder.
std::optional<std::wstring> FolderIdentity(const std::string& gbkFolder) {
  win32::UniqueHandle folder(::CreateFileW(win32::WidePath(gbkFolder).c_str(),
                                           FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                           nullptr));
  if (!folder) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(folder.get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  std::wstring identity;
  for (const DWORD part : {information.dwVolumeSerialNumber, information.nFileIndexHigh,
                           information.nFileIndexLow}) {
    for (int shift = 28; shift >= 0; shift -= 4) {
      identity += L"0123456789ABCDEF"[(part >> shift) & 0xF];
    }
  }
  return identity;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(value, length);
}

// %LOCALAPPDATA%\VOKQM7: the user's own, local to the machine; empty when
// the host's environment names no profile.
std::wstring RecordFolderPath() {
  std::wstring base = Environment(L"LOCALAPPDATA");
  if (base.empty()) {
    base = Environment(L"USERPROFILE");
    if (base.empty()) return {};
    base += L"\\AppData\\Local";
  }
  return base + L"\\VOKQM7";
}

// Only the user, the system and the administrators; the user owns it.
std::wstring RecordSddl(const std::string& user) {
  const std::wstring sid(user.begin(), user.end());  // SID texts are ASCII
  return L"O:" + sid + L"D:P(A;OICI;FA;;;" + sid + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
}

// Why the records' folder `folder` cannot hold this user's records; empty
// when it can, or when it is not there yet. Looks only.
std::string RecordFolderProblem(const std::wstring& folder, const std::string& user) {
  if (folder.empty()) return "the host's environment names no LOCALAPPDATA or USERPROFILE folder";
  if (user.empty()) return "this caller's user cannot be told";
  const std::string name = win32::WideToNarrow(win32::kGbkCodePage, folder);
  const win32::UniqueHandle handle(::CreateFileW(
      folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};
    return name + " cannot be opened (error " + std::to_string(error) + ")";
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle.get(), &information)) {
    return name + " cannot be read (error " + std::to_string(::GetLastError()) + ")";
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return name + " is a link or a mount point";
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return name + " is no folder";
  const std::optional<std::string> owner = win32::FileOwnerSid(handle.get());
  if (!owner) return name + ": its owner cannot be read";
  if (*owner != user && !win32::IsSystemOrAdministrators(*owner)) {
    return name + " belongs to another user (" + *owner + ")";
  }
  if (const std::optional<std::string> writer = win32::OtherWriter(handle.get(), user)) {
    return name + " can be written by " + *writer;
  }
  return {};
}

// Makes the records' folder when missing; its problem otherwise.
std::string RecordFolderReady(const std::wstring& folder, const std::string& user) {
  if (!folder.empty() && !user.empty() &&
      ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    win32::SecurityDescriptor security(RecordSddl(user).c_str());
    if (security.Made()) ::CreateDirectoryW(folder.c_str(), security.Attributes());
  }
  return RecordFolderProblem(folder, user);
}

// Opens this user's record `path` when it is a plain file of one name in
// the user's own folder: to read it, or to write it (made when missing,
// owned by the user).
win32::UniqueHandle OpenRecord(const std::wstring& path, const std::string& user, bool write) {
  const DWORD access = write ? GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL
                             : GENERIC_READ | READ_CONTROL;
  const DWORD share = write ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  win32::SecurityDescriptor security(RecordSddl(user).c_str());
  win32::UniqueHandle record(::CreateFileW(
      path.c_str(), access, share, write && security.Made() ? security.Attributes() : nullptr,
      write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
      nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!record || !::GetFileInformationByHandle(record.get(), &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
          0 ||
      information.nNumberOfLinks != 1) {
    if (record) ::SetLastError(ERROR_FILE_INVALID);
    return win32::UniqueHandle();
  }
  const std::optional<std::string> owner = win32::FileOwnerSid(record.get());
  if (!owner || (*owner != user && !win32::IsSystemOrAdministrators(*owner))) {
    ::SetLastError(ERROR_INVALID_OWNER);
    return win32::UniqueHandle();
  }
  return record;
}

// Removes `path` when it is a plain file of one name that `user` owns.
void RemoveIfOwnedBy(const std::wstring& path, const std::string& user) {
  const win32::UniqueHandle file(::CreateFileW(
      path.c_str(), DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!file || !::GetFileInformationByHandle(file.get(), &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
          0 ||
      information.nNumberOfLinks != 1 || win32::FileOwnerSid(file.get()) != user) {
    return;
  }
  FILE_DISPOSITION_INFO remove{TRUE};
  ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &remove, sizeof remove);
}

// The names in `folder` but "." and "..".
std::vector<std::wstring> NamesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const win32::FindHandle search(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
  if (!search) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(search.get(), &found));
  return names;
}

// The records of the last version lived in %ProgramData%\VOKQM7, a folder
// all users shared. This user's are removed when found (the tools they may
// name are seen in the list of processes anyway); the folder goes with its
// last record when this user made it and nothing else (a machine-wide
// trace) is kept in it.
void ForgetEarlierRecords(const std::string& user) {
  const std::wstring base = Environment(L"ProgramData");
  if (base.empty()) return;
  const std::wstring folder = base + L"\\VOKQM7";
  if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const std::wstring mine = L"*." + std::wstring(user.begin(), user.end()) + L".holder";
  for (const std::wstring& name : NamesIn(folder, mine.c_str())) {
    RemoveIfOwnedBy(folder + L"\\" + name, user);
  }
  const std::vector<std::wstring> left = NamesIn(folder, L"*");
  if (left.size() != 1 || left.front() != L"keep") return;
  RemoveIfOwnedBy(folder + L"\\keep", user);
  ::RemoveDirectoryW(folder.c_str());
}

// Makes the mutex of `state`, or opens it when another call made it first,
// with the rights its descriptor gives every user; one that refuses those
// is opened to wait on and release only. Never with the default security,
// which would shut out the other users.
bool MutexReady(InstallLock::State& state) {
  if (state.mutex) return true;
  if (state.refused != ERROR_SUCCESS) return false;
  win32::SecurityDescriptor security(kMutexSddl);
  if (!security.Made()) return false;
  state.mutex.reset(
      ::CreateMutexExW(security.Attributes(), state.mutex_name.c_str(), 0, kMutexAccess));
  if (!state.mutex && ::GetLastError() == ERROR_ACCESS_DENIED) {
    state.mutex.reset(::OpenMutexW(SYNCHRONIZE, FALSE, state.mutex_name.c_str()));
  }
  // A Low-integrity or AppContainer host may neither make nor open a global
  // object: that does not pass with time.
  if (!state.mutex && ::GetLastError() == ERROR_ACCESS_DENIED) {
    state.refused = ERROR_ACCESS_DENIED;
  }
  return static_cast<bool>(state.mutex);
}

enum class ShareLock { kTaken, kBusy, kFailed, kRefused };

// Takes the lock file in the installation folder.
ShareLock TakeShareLock(InstallLock::State& state) {
  const Deadline grace(kShareLockRefusalGraceMs);
  for (;;) {
    state.share_lock.reset(::CreateFileW(state.share_lock_path.c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (state.share_lock) return ShareLock::kTaken;
    const DWORD error = ::GetLastError();
    // Another machine, or another process of this one between its mutex
    // and its file, has it.
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return ShareLock::kBusy;
    if (error != ERROR_ACCESS_DENIED) return ShareLock::kFailed;
    if (!grace.Pause(kShareLockPauseMs)) {
      state.refused = ERROR_ACCESS_DENIED;
      return ShareLock::kRefused;
    }
  }
}

}  // namespace

std::optional<std::string> HostRefusal() {
  switch (win32::HostTokenKind()) {
    case win32::TokenKind::kLowIntegrity:
      return "the host runs at Low integrity (a protected-mode or sandboxed program)";
    case win32::TokenKind::kAppContainer:
      return "the host runs in an AppContainer";
    default:
      return std::nullopt;
  }
}

std::optional<InstallLock> InstallLock::ForFolder(const std::string& gbkFolder) {
  const std::optional<std::wstring> identity = FolderIdentity(gbkFolder);
  if (!identity) return std::nullopt;
  auto state = std::make_unique<State>();
  state->mutex_name = L"Global\\VOKQM7.install." + *identity;
  state->identity = *identity;
  state->folder = RecordFolderPath();
  state->user = CurrentUser();
  state->share_lock_path = win32::WidePath(gbkFolder) + kShareLockName;
  // A mutex that cannot be had now is tried again by TryAcquire, unless it
  // is refused for good.
  if (!InjectedFailure(faults::Operation::kOpenInstallLock)) {
    MutexReady(*state);
  } else if (::GetLastError() == ERROR_ACCESS_DENIED) {
    state->refused = ERROR_ACCESS_DENIED;
  }
  return InstallLock(std::move(state));
}

InstallLock::InstallLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
InstallLock::InstallLock(InstallLock&&) noexcept = default;
InstallLock& InstallLock::operator=(InstallLock&&) noexcept = default;
InstallLock::~InstallLock() = default;

LockOutcome InstallLock::Acquire(std::uint32_t limitMs) {
  if (!state_) return LockOutcome::kFailed;
  if (state_->held) return LockOutcome::kTaken;
  // A failure with the system's error, kept for FailureCode.
  const auto failed = [this] {
    state_->failure = ::GetLastError();
    return LockOutcome::kFailed;
  };
  if (InjectedFailure(faults::Operation::kTakeInstallLock)) return failed();
  if (!MutexReady(*state_)) {
    return state_->refused != ERROR_SUCCESS ? LockOutcome::kRefused : failed();
  }
  const Deadline deadline(limitMs);
  for (;;) {
    switch (win32::WaitServingSentMessages(state_->mutex.get(), deadline.LeftMs())) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:  // its holder ended without releasing it
        break;
      case WAIT_TIMEOUT:
        return LockOutcome::kBusy;
      default:
        return failed();
    }
    const ShareLock file = TakeShareLock(*state_);
    if (file == ShareLock::kTaken) {
      state_->held = true;
      state_->clear_on_release = false;
      return LockOutcome::kTaken;
    }
    const DWORD error = ::GetLastError();
    ::ReleaseMutex(state_->mutex.get());
    ::SetLastError(error);
    if (file == ShareLock::kRefused) return LockOutcome::kRefused;
    if (file == ShareLock::kFailed) return failed();
    if (!deadline.Pause(kShareLockPauseMs)) return LockOutcome::kBusy;
  }
}

LockOutcome InstallLock::TryAcquire() { return Acquire(0); }

// Written over in place through one handle kept while held; it is opened
// only once it was shown to be a plain file in the user's folder. One that
// is not (left by something else under its name) is removed first.
Status InstallLock::Publish(const InstallLockHolder& holder) {
  if (!state_ || !state_->held) return Status::Failed("record");
  State& state = *state_;
  if (!state.record) {
    if (!RecordFolderReady(state.folder, state.user).empty()) return Status::Failed("record");
    const std::wstring path = state.RecordPath();
    // The last holder's record is removed as it lets go; while another call
    // of this user reads it, it stays "delete pending" and can be neither
    // opened nor made again for a moment, which is waited out.
    const bool opened = RetryWhileBusy(
        [&] {
          if (InjectedFailure(faults::Operation::kOpenOwnRecord)) return false;
          state.record = OpenRecord(path, state.user, true);
          if (!state.record) {
            ::DeleteFileW(path.c_str());
            state.record = OpenRecord(path, state.user, true);
          }
          return static_cast<bool>(state.record);
        },
        [&] { return win32::IsBusyFailure(path); });
    if (!opened) return Status::Failed("record");
    ForgetEarlierRecords(state.user);
  }
  const std::string bytes = FormatHolderRecord(holder);
  DWORD written = 0;
  const LARGE_INTEGER start{};
  if (!::SetFilePointerEx(state.record.get(), start, nullptr, FILE_BEGIN) ||
      !::WriteFile(state.record.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
      written != bytes.size() || !::SetEndOfFile(state.record.get())) {
    return Status::Failed("record");
  }
  state.clear_on_release = RecordGoesWithRelease(holder);
  return {};
}

std::optional<InstallLockHolder> InstallLock::OwnRecord() const {
  if (!state_ || state_->folder.empty() || state_->user.empty()) return std::nullopt;
  const win32::UniqueHandle record = OpenRecord(state_->RecordPath(), state_->user, false);
  char bytes[kRecordLimit];
  DWORD read = 0;
  if (!record || !::ReadFile(record.get(), bytes, sizeof bytes, &read, nullptr)) {
    return std::nullopt;
  }
  return ParseHolderRecord(std::string_view(bytes, read));
}

Status InstallLock::DropOwnRecord() {
  if (!state_ || !state_->held) return SystemError{"drop record", ERROR_NOT_OWNER};
  state_->record.reset();
  const std::wstring path = state_->RecordPath();
  return Status::Of(::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND,
                    "drop record");
}

std::string InstallLock::RecordPath() const {
  if (!state_ || state_->folder.empty()) return {};
  return win32::WideToNarrow(win32::kGbkCodePage, state_->RecordPath());
}

std::optional<std::string> InstallLock::RecordProblem() const {
  std::string problem = state_ ? RecordFolderProblem(state_->folder, state_->user) : std::string();
  if (problem.empty()) return std::nullopt;
  return problem;
}

std::optional<bool> InstallLock::Busy() const {
  if (!state_ || !state_->mutex) return std::nullopt;
  if (state_->held) return true;
  switch (::WaitForSingleObject(state_->mutex.get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      break;
    case WAIT_TIMEOUT:
      return true;
    default:
      return std::nullopt;
  }
  // Free on this machine; another machine may have the folder's file.
  const win32::UniqueHandle file(::CreateFileW(state_->share_lock_path.c_str(), GENERIC_READ, 0,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
  const DWORD error = file ? ERROR_SUCCESS : ::GetLastError();
  ::ReleaseMutex(state_->mutex.get());
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::uint32_t InstallLock::FailureCode() const { return state_ ? state_->failure : 0; }

bool InstallLock::Made() const { return state_ && static_cast<bool>(state_->mutex); }

std::uint32_t InstallLock::RefusedError() const { return state_ ? state_->refused : 0; }

bool InstallLock::GuardsShare() const { return state_ != nullptr; }

std::string InstallLock::Name() const {
  if (!state_) return {};
  return win32::WideToNarrow(win32::kGbkCodePage, state_->mutex_name);
}

}  // namespace vok::platform
