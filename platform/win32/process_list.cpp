// Other processes as Windows lists them: NtQuerySystemInformation gives
// every process's id, parent, session, start and image name to every user,
// without a handle, so that a process the caller may not open (another
// user's, a service, an elevated one) is still told from a process that
// got its id later. Only what the list lacks (the user, the full image) is
// asked of the process itself, where the caller may open it.
#include "platform/process.h"

#include <winternl.h>

#include <cstdlib>
#include <vector>

#include "platform/faults.h"
#include "platform/files.h"
#include "platform/win32/process_time.h"
#include "platform/win32/security.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vok::platform {
namespace {

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kSystemTimeOfDayInformation = 3;
constexpr ULONG kSystemProcessInformation = 5;
constexpr ULONG kSystemProcessIdInformation = 88;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// From ntdll, which every process has loaded: no import of its own.
QuerySystemInformation Query() {
  static const QuerySystemInformation query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"),
                                               "NtQuerySystemInformation")));
  return query;
}

struct ProcessIdInformation {
  HANDLE process_id;
  UNICODE_STRING image;
};

struct TimeOfDayInformation {
  LARGE_INTEGER boot_time;
  LARGE_INTEGER current_time;
  LARGE_INTEGER time_zone_bias;
  ULONG time_zone_id;
  ULONG reserved;
  ULONGLONG boot_time_bias;
  ULONGLONG sleep_time_bias;
};

// The image of process `id` as the kernel names it ("\Device\...\x.exe"),
// asked by id: Windows answers it for any process, Wine does not.
std::optional<std::wstring> KernelImageName(std::uint32_t id) {
  const QuerySystemInformation query = Query();
  if (query == nullptr) return std::nullopt;
  std::wstring name(32768, L'\0');
  ProcessIdInformation asked{reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(id)),
                             {0, static_cast<USHORT>((name.size() - 1) * sizeof(wchar_t)),
                              name.data()}};
  if (query(kSystemProcessIdInformation, &asked, sizeof asked, nullptr) < 0) return std::nullopt;
  name.resize(asked.image.Length / sizeof(wchar_t));
  return name;
}

// The program file `gbkProgram` as the kernel names it.
std::optional<std::wstring> KernelPathOf(const std::string& gbkProgram) {
  const win32::UniqueHandle file(::CreateFileW(
      win32::WidePath(gbkProgram).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::wstring path(32768, L'\0');
  const DWORD length = ::GetFinalPathNameByHandleW(file.get(), path.data(),
                                                   static_cast<DWORD>(path.size()), VOLUME_NAME_NT);
  if (length == 0 || length >= path.size()) return std::nullopt;
  path.resize(length);
  return path;
}

std::optional<bool> RunsProgramOpened(HANDLE process, const std::string& gbkProgram) {
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!::QueryFullProcessImageNameW(process, 0, image.data(), &length)) return std::nullopt;
  image.resize(length);
  // The installation's tool has a GBK path: an image that has none is
  // another program.
  const std::optional<std::string> narrow = win32::NarrowWithoutLoss(image);
  if (!narrow) return false;
  const std::optional<FileStamp> running = StampOf(*narrow);
  if (!running) return std::nullopt;
  return IsSameFile(*running, StampOf(gbkProgram));
}

std::optional<bool> RunsProgramById(std::uint32_t id, const std::string& gbkProgram) {
  const std::optional<std::wstring> image = KernelImageName(id);
  const std::optional<std::wstring> program = KernelPathOf(gbkProgram);
  if (!image || !program) return std::nullopt;
  return ::CompareStringOrdinal(image->c_str(), static_cast<int>(image->size()),
                                program->c_str(), static_cast<int>(program->size()),
                                TRUE) == CSTR_EQUAL;
}

std::optional<TimeOfDayInformation> TimeOfDay() {
  const QuerySystemInformation query = Query();
  TimeOfDayInformation time{};
  if (query == nullptr || query(kSystemTimeOfDayInformation, &time, sizeof time, nullptr) < 0) {
    return std::nullopt;
  }
  return time;
}

constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;
// How far the boot time may seem to move when the clock is set.
constexpr long long kBootTimeToleranceSeconds = 120;

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> list;
  const QuerySystemInformation query = Query();
  if (query == nullptr) return list;
  // 8-byte units keep the entries aligned as the system lays them out.
  std::vector<ULONGLONG> buffer(64 * 1024);
  for (int attempt = 0;; ++attempt) {
    ULONG needed = 0;
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
    const LONG status = query(kSystemProcessInformation, buffer.data(), size, &needed);
    if (status == kStatusInfoLengthMismatch && attempt < 8) {
      buffer.resize((std::max<std::size_t>(needed, size) * 2) / sizeof(ULONGLONG) + 1);
      continue;
    }
    if (status < 0) return list;
    break;
  }
  const unsigned char* at = reinterpret_cast<const unsigned char*>(buffer.data());
  for (;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId));
    if (id != 0) {
      ProcessEntry process;
      process.identity = {id, static_cast<std::uint64_t>(entry->CreateTime.QuadPart)};
      process.parent = static_cast<std::uint32_t>(
          reinterpret_cast<ULONG_PTR>(entry->InheritedFromUniqueProcessId));
      process.session = entry->SessionId;
      if (entry->ImageName.Buffer != nullptr) {
        process.name = win32::WideToNarrow(
            win32::kGbkCodePage,
            std::wstring_view(entry->ImageName.Buffer, entry->ImageName.Length / sizeof(wchar_t)));
      }
      list.push_back(std::move(process));
    }
    if (entry->NextEntryOffset == 0) break;
    at += entry->NextEntryOffset;
  }
  return list;
}

ProcessLook LookAtProcess(const ProcessEntry& process, const std::string& gbkProgram) {
  ProcessLook look;
  win32::UniqueHandle opened;
  if (!InjectedFailure(faults::Operation::kOpenProcess)) {
    opened.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.identity.id));
  }
  if (!opened && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    look.ended = true;  // no process has the id now
    return look;
  }
  if (opened) {
    // The id may have passed to another process since the list was made.
    DWORD code = 0;
    if (win32::CreationTime(opened.get()) != process.identity.start ||
        (::GetExitCodeProcess(opened.get(), &code) && code != STILL_ACTIVE)) {
      look.ended = true;
      return look;
    }
    look.user = win32::ProcessUserSid(opened.get());
    look.runs_program = RunsProgramOpened(opened.get(), gbkProgram);
  }
  if (!look.runs_program) look.runs_program = RunsProgramById(process.identity.id, gbkProgram);
  return look;
}

std::string BootIdentity() {
  const std::optional<TimeOfDayInformation> time = TimeOfDay();
  if (!time) return {};
  return std::to_string(time->boot_time.QuadPart / kFileTimeUnitsPerSecond);
}

bool IsThisBoot(const std::string& boot) {
  const std::string now = BootIdentity();
  if (boot.empty() || now.empty()) return false;
  char* rest = nullptr;
  const long long then = std::strtoll(boot.c_str(), &rest, 10);
  if (*rest != '\0') return false;
  return std::llabs(then - std::strtoll(now.c_str(), nullptr, 10)) <= kBootTimeToleranceSeconds;
}

}  // namespace vok::platform
