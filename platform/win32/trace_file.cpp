#include "platform/trace_file.h"

#include "platform/faults.h"

#include <atomic>
#include <cstdio>

#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vok::platform {

struct TraceFile::State {
  win32::UniqueHandle file;
  win32::UniqueHandle turn;  // the named mutex of this file's writers
};

namespace {

// How long a line waits for its turn, and the move to ".1" for its own.
constexpr DWORD kLineTurnMs = 50;
constexpr DWORD kMoveTurnMs = 500;

// Lines of this process dropped because their turn did not come, not yet
// counted in a line that was written.
std::atomic<std::uint64_t> dropped{0};

// One mutex per trace file, shared by every process of the session that
// writes it: named after the path, letters in one case (Windows paths
// ignore it). Two spellings of one file (a short name, a mapped drive)
// get two mutexes; the writers then only lose each other's turns.
std::string TurnName(const std::string& gbkPath) {
  std::uint64_t hash = 1469598103934665603ull;
  for (char c : gbkPath) {
    const unsigned char byte = static_cast<unsigned char>(c);
    hash = (hash ^ (byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte)) * 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\VOKQM7.trace.%016llx",
                static_cast<unsigned long long>(hash));
  return name;
}

// Waits at most `ms` for the mutex; an owner that died leaves it to us.
bool TakeTurn(HANDLE turn, DWORD ms) {
  const DWORD waited = ::WaitForSingleObject(turn, ms);
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

std::optional<BY_HANDLE_FILE_INFORMATION> Identity(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
  return info;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// Append access: every write goes to the end of the file. Others may read,
// write and rename it meanwhile (a viewer, another process tracing, the
// next move to ".1"). The file inherits the ACL of its folder: the default
// one, %LOCALAPPDATA%\VOKQM7, is the user's own. Reading its attributes is
// what lets GetFileInformationByHandle tell its size and identity.
win32::UniqueHandle OpenForAppending(const std::string& gbkPath) {
  win32::UniqueHandle file(::CreateFileW(win32::WidePath(gbkPath).c_str(),
                                         FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file;
}

}  // namespace

// Past the cap the file becomes "<path>.1" in its writers' turn, by the
// one that still finds the file it opened at `path` and past the cap; a
// writer that saw the same full file finds it moved and opens the fresh
// one, so the generation just moved is never moved over.
std::optional<TraceFile> TraceFile::Open(const std::string& gbkPath, std::uint64_t capBytes,
                                         TraceRefusal* refusal) {
  if (refusal != nullptr) *refusal = TraceRefusal::kCannotOpen;
  if (gbkPath.empty()) return std::nullopt;
  auto state = std::make_unique<State>();
  state->turn.reset(::CreateMutexA(nullptr, FALSE, TurnName(gbkPath).c_str()));
  if (!state->turn) return std::nullopt;
  state->file = OpenForAppending(gbkPath);
  if (!state->file) {
    const DWORD attributes = ::GetFileAttributesW(win32::WidePath(gbkPath).c_str());
    if (refusal != nullptr && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      *refusal = TraceRefusal::kNotAFile;
    }
    return std::nullopt;
  }
  std::optional<BY_HANDLE_FILE_INFORMATION> opened = Identity(state->file.get());
  // A folder, a pipe or a device (CON, NUL, \\.\pipe\...) is no trace.
  if ((opened && (opened->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ||
      ::GetFileType(state->file.get()) != FILE_TYPE_DISK) {
    if (refusal != nullptr) *refusal = TraceRefusal::kNotAFile;
    return std::nullopt;
  }
  if (opened && SizeOf(*opened) > capBytes && TakeTurn(state->turn.get(), kMoveTurnMs)) {
    const std::wstring path = win32::WidePath(gbkPath);
    win32::UniqueHandle now(::CreateFileW(path.c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::optional<BY_HANDLE_FILE_INFORMATION> there =
        now ? Identity(now.get()) : std::nullopt;
    opened = Identity(state->file.get());
    now.reset();
    if (there && opened && SameFile(*there, *opened) && SizeOf(*opened) > capBytes) {
      ::MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    state->file = OpenForAppending(gbkPath);
    ::ReleaseMutex(state->turn.get());
  }
  if (!state->file) return std::nullopt;
  return TraceFile(std::move(state));
}

TraceFile::TraceFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
TraceFile::TraceFile(TraceFile&&) noexcept = default;
TraceFile& TraceFile::operator=(TraceFile&&) noexcept = default;
TraceFile::~TraceFile() = default;

// Windows appends each write whole, but Wine finds the end and writes there
// in two steps, so that two processes appending at once can write over
// each other: the writers take turns on the file's mutex. A line waits for
// its turn briefly only, so that no call hangs on its trace; past that it
// is dropped and counted, and the next line written says how many were.
bool TraceFile::Append(std::string_view line, std::uint64_t countedDrops) {
  if (!state_ || line.size() > MAXDWORD || InjectedFailure(faults::Operation::kWriteTrace)) {
    return false;
  }
  if (!TakeTurn(state_->turn.get(), kLineTurnMs)) {
    ++dropped;
    return false;
  }
  DWORD written = 0;
  const bool whole = ::WriteFile(state_->file.get(), line.data(), static_cast<DWORD>(line.size()),
                                 &written, nullptr) &&
                     written == line.size();
  ::ReleaseMutex(state_->turn.get());
  if (whole) {
    std::uint64_t left = dropped.load();
    while (!dropped.compare_exchange_weak(left, left > countedDrops ? left - countedDrops : 0)) {
    }
  }
  return whole;
}

std::uint64_t TraceFile::DroppedLines() { return dropped.load(); }

void TraceToDebugger(std::string_view utf8Line) {
  const std::wstring wide = win32::NarrowToWide(CP_UTF8, utf8Line);
  ::OutputDebugStringW(wide.c_str());
}

}  // namespace vok::platform
