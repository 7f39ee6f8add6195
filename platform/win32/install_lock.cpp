// The installation lock on Windows: a named mutex in the global namespace,
// so that the sessions of a terminal server share it, named by the volume
// and file index of the installation folder (every spelling of its path
// meets the same mutex) and open to every user. A mutex belongs to the
// thread that took it: it is released on that thread, and the system hands
// it on (abandoned) when that thread or its process ends. The handle is not
// inheritable, and the report tool is started without inherited handles.
// A mutex that another caller made with other security (another integrity
// level, an older build) and that refuses the rights asked for is opened to
// wait on only; a mutex that cannot be had at all fails every try, and the
// call waits as for a busy one: never does a call go on without it.
//
// Records: %ProgramData%\VOKQM7\<folder identity>.<user SID>.holder, one
// per user, in a folder with a protected ACL where every user may add a
// file and read the others', and only its owner (and the system) may change
// or remove a file. A record counts only when its owner is the user its
// name gives, and a record that is a reparse point or has more than one
// name is never opened for writing: a folder turned into a mount point or a
// planted hard link must not make a holder truncate another file. The
// folder holds a file of its own so that it is never empty (an empty
// folder can be made a mount point by whoever may write its parent), and
// is only used when the system, the administrators or this user own it.
#include "platform/install_lock.h"

#include "platform/faults.h"
#include "platform/install_lock_record.h"
#include "platform/process.h"
#include "platform/win32/security.h"
#include "platform/win32/host_wait.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vok::platform {

struct InstallLock::State {
  win32::UniqueHandle mutex;  // empty until it could be made or opened
  std::wstring mutex_name;
  std::wstring identity;  // of the installation folder
  std::wstring folder;    // the records' folder; empty when there is no ProgramData folder
  std::string user;       // this caller's SID
  win32::UniqueHandle record;  // this user's record, while held and published
  // An installation folder on a network drive is shared by machines whose
  // mutexes never meet: there a file in the folder itself, open without
  // sharing, keeps the other machines out as well.
  std::wstring share_lock_path;
  win32::UniqueHandle share_lock;
  DWORD refused = ERROR_SUCCESS;  // why the mutex cannot be had, for good
  bool held = false;
  bool clear_on_release = false;

  std::wstring RecordPath(const std::string& sid) const {
    return folder + L"\\" + identity + L"." + std::wstring(sid.begin(), sid.end()) + L".holder";
  }

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

// The record folder, protected from inherited entries: the system and the
// administrators may do anything; everyone may list it, add a file and read
// the files; the owner of a file (its creator) may do anything with it.
// Nobody else may remove or change a file, or add a folder.
constexpr wchar_t kRecordFolderDacl[] =
    L"D:P(A;OICI;GA;;;SY)(A;OICI;GA;;;BA)(A;;0x001200AB;;;WD)(A;OIIO;0x00120089;;;WD)"
    L"(A;OIIO;GA;;;CO)";
constexpr wchar_t kKeepName[] = L"\\keep";
constexpr std::size_t kRecordLimit = 4096;

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

// %ProgramData%\VOKQM7; empty when there is no such base folder.
std::wstring RecordFolderPath() {
  wchar_t base[MAX_PATH];
  DWORD length = ::GetEnvironmentVariableW(L"ProgramData", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    length = ::GetEnvironmentVariableW(L"ALLUSERSPROFILE", base, MAX_PATH);
  }
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(base, length) + L"\\VOKQM7";
}

// Makes the record folder when missing: owned by the administrators where
// the caller may give them a folder, else by the caller; with its file
// that keeps it from being empty.
void MakeRecordFolder(const std::wstring& folder) {
  for (const wchar_t* owner : {L"O:BA", L""}) {
    win32::SecurityDescriptor security((std::wstring(owner) + kRecordFolderDacl).c_str());
    if (!security.Made()) continue;
    if (::CreateDirectoryW(folder.c_str(), security.Attributes())) break;
    if (::GetLastError() != ERROR_INVALID_OWNER) return;
  }
  const win32::UniqueHandle keep(::CreateFileW((folder + kKeepName).c_str(), GENERIC_WRITE, 0,
                                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
}

// Why the record folder cannot hold this caller's records; empty when it
// can (made first when missing).
std::string RecordFolderProblem(const std::wstring& folder, const std::string& user) {
  if (folder.empty()) return "there is no ProgramData folder";
  if (user.empty()) return "this caller's user cannot be told";
  const std::string name = win32::WideToNarrow(CP_ACP, folder);
  if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) MakeRecordFolder(folder);
  const win32::UniqueHandle handle(::CreateFileW(
      folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!handle || !::GetFileInformationByHandle(handle.get(), &information)) {
    return name + " cannot be opened (error " + std::to_string(::GetLastError()) + ")";
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return name + " is a link or a mount point";
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return name + " is no folder";
  const std::optional<std::string> owner = win32::FileOwnerSid(handle.get());
  if (!owner) return name + ": its owner cannot be read";
  if (*owner != user && !win32::IsSystemSid(*owner)) {
    return name + " belongs to another user (" + *owner + ")";
  }
  return {};
}

// Opens the record `path` when it is a plain file of one name that belongs
// to `owner`: to read it, or to write it when `write` (made when missing).
win32::UniqueHandle OpenRecord(const std::wstring& path, const std::string& owner, bool write) {
  const DWORD access = write ? GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL
                             : GENERIC_READ | READ_CONTROL;
  const DWORD share = write ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  win32::UniqueHandle record(::CreateFileW(path.c_str(), access, share, nullptr,
                                           write ? OPEN_ALWAYS : OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                           nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!record || !::GetFileInformationByHandle(record.get(), &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
          0 ||
      information.nNumberOfLinks != 1 || win32::FileOwnerSid(record.get()) != owner) {
    return win32::UniqueHandle();
  }
  return record;
}

// Makes the mutex of `state`, or opens it when another call made it first,
// with the rights its descriptor gives every user; one that refuses those
// is opened to wait on and release only. Never with the default security,
// which would shut out the other users.
bool MutexReady(InstallLock::State& state) {
  if (state.mutex) return true;
  win32::SecurityDescriptor security(kMutexSddl);
  if (!security.Made()) return false;
  using testing::Operation;
  if (!InjectedFailure(Operation::kOpenInstallLock)) {
    state.mutex.reset(::CreateMutexExW(security.Attributes(), state.mutex_name.c_str(), 0,
                                       kMutexAccess));
  }
  if (!state.mutex && ::GetLastError() == ERROR_ACCESS_DENIED) {
    if (!InjectedFailure(Operation::kOpenInstallLock)) {
      state.mutex.reset(::OpenMutexW(SYNCHRONIZE, FALSE, state.mutex_name.c_str()));
    }
    // A Low-integrity or AppContainer host may neither make nor open a
    // global object: that does not pass with time.
    if (!state.mutex && ::GetLastError() == ERROR_ACCESS_DENIED) {
      state.refused = ERROR_ACCESS_DENIED;
    }
  }
  return static_cast<bool>(state.mutex);
}

// The folder's root is a network drive (a mapped letter or a UNC path).
bool OnNetworkDrive(const std::wstring& folder) {
  if (InjectedFailure(testing::Operation::kFolderIsRemote)) return true;
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(folder.c_str(), root, MAX_PATH)) return false;
  return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

// Takes the share lock file when the folder has one. False, with the
// system's error left, when it cannot be had.
bool ShareLockTaken(InstallLock::State& state) {
  if (state.share_lock_path.empty()) return true;
  state.share_lock.reset(::CreateFileW(state.share_lock_path.c_str(),
                                       GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_HIDDEN, nullptr));
  return state.share_lock.valid();
}

constexpr DWORD kShareLockPauseMs = 50;

}  // namespace

std::optional<InstallLock> InstallLock::ForFolder(const std::string& gbkFolder) {
  const std::optional<std::wstring> identity = FolderIdentity(gbkFolder);
  if (!identity) return std::nullopt;
  auto state = std::make_unique<State>();
  state->mutex_name = L"Global\\VOKQM7.install." + *identity;
  state->identity = *identity;
  state->folder = RecordFolderPath();
  state->user = CurrentUser();
  const std::wstring wideFolder = win32::WidePath(gbkFolder);
  if (OnNetworkDrive(wideFolder)) state->share_lock_path = wideFolder + L"\\vokqm7.lock";
  // A mutex that cannot be had now is tried again by TryAcquire.
  MutexReady(*state);
  return InstallLock(std::move(state));
}

InstallLock::InstallLock(std::unique_ptr<State> state) : state_(std::move(state)) {}
InstallLock::InstallLock(InstallLock&&) noexcept = default;
InstallLock& InstallLock::operator=(InstallLock&&) noexcept = default;
InstallLock::~InstallLock() = default;

LockOutcome InstallLock::Acquire(std::uint32_t limitMs) {
  if (!state_) return LockOutcome::kFailed;
  if (state_->held) return LockOutcome::kTaken;
  if (!MutexReady(*state_)) return LockOutcome::kFailed;
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    const ULONGLONG spent = ::GetTickCount64() - start;
    const DWORD left = spent >= limitMs ? 0 : static_cast<DWORD>(limitMs - spent);
    switch (win32::WaitServingSentMessages(state_->mutex.get(), left)) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:  // its holder ended without releasing it
        break;
      case WAIT_TIMEOUT:
        return LockOutcome::kBusy;
      default:
        return LockOutcome::kFailed;
    }
    // Without a place for its record, a holder could leave a tool that
    // nobody finds.
    if (!RecordFolderProblem(state_->folder, state_->user).empty()) {
      ::ReleaseMutex(state_->mutex.get());
      return LockOutcome::kFailed;
    }
    if (ShareLockTaken(*state_)) {
      state_->held = true;
      state_->clear_on_release = false;
      return LockOutcome::kTaken;
    }
    const DWORD error = ::GetLastError();
    ::ReleaseMutex(state_->mutex.get());
    // Another machine has the folder; anything else is no lock at all.
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
      return LockOutcome::kFailed;
    }
    if (left == 0) return LockOutcome::kBusy;
    ::Sleep(left < kShareLockPauseMs ? left : kShareLockPauseMs);
  }
}

LockOutcome InstallLock::TryAcquire() { return Acquire(0); }

// Written over in place through one handle kept while held; it is opened
// only once it was shown to be this user's plain file.
bool InstallLock::Publish(const InstallLockHolder& holder) {
  if (!state_ || !state_->held) return false;
  if (!state_->record) {
    state_->record = OpenRecord(state_->RecordPath(state_->user), state_->user, true);
  }
  if (!state_->record) return false;
  const std::string bytes = FormatHolderRecord(holder);
  DWORD written = 0;
  const LARGE_INTEGER start{};
  if (!::SetFilePointerEx(state_->record.get(), start, nullptr, FILE_BEGIN) ||
      !::WriteFile(state_->record.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
      written != bytes.size() || !::SetEndOfFile(state_->record.get())) {
    return false;
  }
  state_->clear_on_release = holder.tool.id == 0;
  return true;
}

std::vector<InstallLockHolder> InstallLock::Records() const {
  std::vector<InstallLockHolder> records;
  if (!state_ || state_->folder.empty()) return records;
  const std::wstring prefix = state_->identity + L".";
  const std::wstring suffix = L".holder";
  WIN32_FIND_DATAW found{};
  const HANDLE search =
      ::FindFirstFileW((state_->folder + L"\\" + prefix + L"*" + suffix).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return records;
  do {
    const std::wstring name = found.cFileName;
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::wstring sid =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::string owner = win32::WideToNarrow(CP_ACP, sid);
    const win32::UniqueHandle record = OpenRecord(state_->folder + L"\\" + name, owner, false);
    char bytes[kRecordLimit];
    DWORD read = 0;
    if (!record || !::ReadFile(record.get(), bytes, sizeof bytes, &read, nullptr)) continue;
    std::optional<InstallLockHolder> holder = ParseHolderRecord(std::string_view(bytes, read));
    if (!holder) continue;
    holder->owner = owner;
    holder->mine = owner == state_->user;
    records.push_back(std::move(*holder));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return records;
}

std::string InstallLock::RecordProblem() const {
  return state_ ? RecordFolderProblem(state_->folder, state_->user) : std::string();
}

std::optional<bool> InstallLock::Busy() const {
  if (!state_ || !state_->mutex) return std::nullopt;
  if (state_->held) return true;
  switch (::WaitForSingleObject(state_->mutex.get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      ::ReleaseMutex(state_->mutex.get());
      return false;
    case WAIT_TIMEOUT:
      return true;
    default:
      return std::nullopt;
  }
}

bool InstallLock::Made() const { return state_ && static_cast<bool>(state_->mutex); }

std::uint32_t InstallLock::RefusedError() const { return state_ ? state_->refused : 0; }

bool InstallLock::GuardsShare() const { return state_ && !state_->share_lock_path.empty(); }

std::string InstallLock::Name() const {
  if (!state_) return {};
  return win32::WideToNarrow(win32::kGbkCodePage, state_->mutex_name);
}

}  // namespace vok::platform
