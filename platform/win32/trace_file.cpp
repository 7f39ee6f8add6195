#include "platform/trace_file.h"

#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vok::platform {

struct TraceFile::State {
  win32::UniqueHandle file;
};

std::optional<TraceFile> TraceFile::Open(const std::string& gbkPath, std::uint64_t capBytes) {
  if (gbkPath.empty()) return std::nullopt;
  const std::wstring path = win32::WidePath(gbkPath);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
      ((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) > capBytes) {
    // Another process may have moved it a moment ago; either way a fresh
    // file follows.
    ::MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  // Append access: every write goes to the end of the file. Others may
  // read, write and rename it meanwhile (a viewer, another process
  // tracing, the next move to ".1"). Reading is asked for only because
  // LockFileEx wants it.
  auto state = std::make_unique<State>();
  state->file.reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!state->file) return std::nullopt;
  return TraceFile(std::move(state));
}

TraceFile::TraceFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
TraceFile::TraceFile(TraceFile&&) noexcept = default;
TraceFile& TraceFile::operator=(TraceFile&&) noexcept = default;
TraceFile::~TraceFile() = default;

// Windows appends each write whole, but Wine finds the end and writes there
// in two steps, so that two processes appending at once can write over
// each other. A lock on a byte far past any end makes the writers take
// turns; it is waited for briefly only, so that no call hangs on its trace.
bool TraceFile::Append(std::string_view line) {
  if (!state_ || line.size() > MAXDWORD) return false;
  OVERLAPPED turn{};
  turn.Offset = 0xFFFFFFFE;
  turn.OffsetHigh = 0x7FFFFFFF;
  bool locked = false;
  for (int tries = 0; tries < 200 && !locked; ++tries) {
    locked = ::LockFileEx(state_->file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                          0, 1, 0, &turn) != FALSE;
    if (!locked) ::Sleep(1);
  }
  DWORD written = 0;
  const bool whole = ::WriteFile(state_->file.get(), line.data(), static_cast<DWORD>(line.size()),
                                 &written, nullptr) &&
                     written == line.size();
  if (locked) ::UnlockFileEx(state_->file.get(), 0, 1, 0, &turn);
  return whole;
}

void TraceToDebugger(std::string_view utf8Line) {
  const std::wstring wide = win32::NarrowToWide(CP_UTF8, utf8Line);
  ::OutputDebugStringW(wide.c_str());
}

}  // namespace vok::platform
