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
// The holder's record is a file in the machine's ProgramData folder,
// removed on release; a holder that dies leaves it for the next holder,
// which finds there the report tool to end.
#include "platform/install_lock.h"

#include "platform/faults.h"
#include "platform/install_lock_record.h"
#include "platform/win32/host_wait.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

#include <sddl.h>

namespace vok::platform {

struct InstallLock::State {
  win32::UniqueHandle mutex;  // empty until it could be made or opened
  std::wstring mutex_name;
  std::wstring record_path;  // empty when there is no ProgramData folder
  win32::UniqueHandle record;
  // An installation folder on a network drive is shared by machines whose
  // mutexes never meet: there a file in the folder itself, open without
  // sharing, keeps the other machines out as well.
  std::wstring share_lock_path;
  win32::UniqueHandle share_lock;
  DWORD refused = ERROR_SUCCESS;  // why the mutex cannot be had, for good
  bool held = false;

  ~State() {
    if (!held) return;
    share_lock.reset();
    if (record) {
      record.reset();
      ::DeleteFileW(record_path.c_str());
    }
    ::ReleaseMutex(mutex.get());
  }
};

namespace {

// The security descriptor of an SDDL text, freed with LocalFree.
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const wchar_t* sddl) {
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                &descriptor_, nullptr)) {
      descriptor_ = nullptr;
    }
  }
  ~SecurityDescriptor() {
    if (descriptor_ != nullptr) ::LocalFree(descriptor_);
  }
  SecurityDescriptor(const SecurityDescriptor&) = delete;
  SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

  [[nodiscard]] bool Made() const { return descriptor_ != nullptr; }

  // Attributes for a non-inheritable handle.
  SECURITY_ATTRIBUTES* Attributes() {
    attributes_ = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), descriptor_, FALSE};
    return &attributes_;
  }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// Everyone may wait for and release the mutex (SYNCHRONIZE |
// MUTEX_MODIFY_STATE); the system and administrators may do anything.
constexpr wchar_t kMutexSddl[] = L"D:(A;;0x00100001;;;WD)(A;;GA;;;SY)(A;;GA;;;BA)";
constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The record folder: everyone may add a file, and read, replace and remove
// the others': the next holder replaces the record of one that died.
constexpr wchar_t kRecordFolderSddl[] =
    L"D:(A;OICI;GA;;;SY)(A;OICI;GA;;;BA)(A;OICIIO;GA;;;CO)(A;;0x001201BF;;;WD)"
    L"(A;OICIIO;0x0013019F;;;WD)";
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

// %ProgramData%\VOKQM7, made when missing; empty when there is none.
std::wstring RecordFolder() {
  wchar_t base[MAX_PATH];
  DWORD length = ::GetEnvironmentVariableW(L"ProgramData", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    length = ::GetEnvironmentVariableW(L"ALLUSERSPROFILE", base, MAX_PATH);
  }
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring folder(base, length);
  folder += L"\\VOKQM7";
  SecurityDescriptor security(kRecordFolderSddl);
  if (!security.Made()) return {};
  if (!::CreateDirectoryW(folder.c_str(), security.Attributes()) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return {};
  }
  return folder;
}

// Makes the mutex of `state`, or opens it when another call made it first,
// with the rights its descriptor gives every user; one that refuses those
// is opened to wait on and release only. Never with the default security,
// which would shut out the other users.
bool MutexReady(InstallLock::State& state) {
  if (state.mutex) return true;
  SecurityDescriptor security(kMutexSddl);
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
  const std::wstring wideFolder = win32::WidePath(gbkFolder);
  if (OnNetworkDrive(wideFolder)) state->share_lock_path = wideFolder + L"\\vokqm7.lock";
  // A mutex that cannot be had now is tried again by TryAcquire.
  MutexReady(*state);
  const std::wstring folder = RecordFolder();
  if (!folder.empty()) state->record_path = folder + L"\\" + *identity + L".holder";
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
    if (ShareLockTaken(*state_)) {
      state_->held = true;
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

void InstallLock::Publish(const InstallLockHolder& holder) {
  if (!state_ || !state_->held || state_->record_path.empty()) return;
  // Written again whole whenever the holder has news (the tool it runs).
  state_->record.reset();
  state_->record.reset(::CreateFileW(state_->record_path.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!state_->record) return;
  const std::string bytes = FormatHolderRecord(holder);
  DWORD written = 0;
  ::WriteFile(state_->record.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

std::optional<InstallLockHolder> InstallLock::Holder() const {
  if (!state_ || state_->record_path.empty()) return std::nullopt;
  win32::UniqueHandle record(::CreateFileW(
      state_->record_path.c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!record) return std::nullopt;
  char bytes[kRecordLimit];
  DWORD read = 0;
  if (!::ReadFile(record.get(), bytes, sizeof bytes, &read, nullptr)) return std::nullopt;
  return ParseHolderRecord(std::string_view(bytes, read));
}

bool InstallLock::Made() const { return state_ && static_cast<bool>(state_->mutex); }

std::uint32_t InstallLock::RefusedError() const { return state_ ? state_->refused : 0; }

bool InstallLock::GuardsShare() const { return state_ && !state_->share_lock_path.empty(); }

std::string InstallLock::Name() const {
  if (!state_) return {};
  return win32::WideToNarrow(win32::kGbkCodePage, state_->mutex_name);
}

}  // namespace vok::platform
