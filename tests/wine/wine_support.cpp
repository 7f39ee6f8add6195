#include "wine_support.h"

#include "windows_headers.h"

#include "platform/path_parts.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace vok::wine_test {
namespace {

std::wstring Widen(UINT codePage, DWORD flags, std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (length <= 0) throw std::runtime_error("MultiByteToWideChar failed");
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

std::string Narrow(UINT codePage, std::wstring_view wide, bool* usedDefault) {
  if (wide.empty()) return {};
  BOOL defaulted = FALSE;
  BOOL* defaultedOut = usedDefault != nullptr ? &defaulted : nullptr;
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, defaultedOut);
  if (length <= 0) throw std::runtime_error("WideCharToMultiByte failed");
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(),
                      length, nullptr, defaultedOut);
  if (usedDefault != nullptr) *usedDefault = defaulted != FALSE;
  return narrow;
}

constexpr char kInstallKey[] = "Software\\Tarvel\\Oramet\\2.0\\Install\\CurrentInst";
constexpr char kInstallValue[] = "VOKCONFIGFILE";

std::string LastErrorText(const char* what, const std::string& path) {
  return std::string(what) + " failed for " + Readable(path) + ", error " +
         std::to_string(GetLastError());
}

}  // namespace

std::string Gbk(std::string_view utf8) {
  bool defaulted = false;
  std::string gbk = Narrow(936, Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8), &defaulted);
  if (defaulted) throw std::runtime_error("text has no GBK form: " + std::string(utf8));
  return gbk;
}

std::string Readable(std::string_view gbk) { return Narrow(CP_UTF8, Widen(936, 0, gbk), nullptr); }

std::wstring WideFromGbk(std::string_view gbk) { return Widen(936, 0, gbk); }

std::string Utf8FromWide(std::wstring_view wide) { return Narrow(CP_UTF8, wide, nullptr); }

std::string ProgramFolder() {
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return platform::FolderOfPath(std::string(path, length));
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error(LastErrorText("CreateFileA", path));
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error(LastErrorText("WriteFile", path));
}

std::optional<std::string> ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::string& path) {
  const std::string parent = platform::FolderOfPath(path);
  if (parent.size() > 2 && !Exists(parent)) MakeFolder(parent);
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw std::runtime_error(LastErrorText("CreateDirectoryA", path));
  }
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") RemoveTree(path + "\\" + name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

void CopyInto(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
    throw std::runtime_error(LastErrorText("CopyFileA", from + " -> " + to));
  }
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

ScratchFolder::ScratchFolder(const char* nameUtf8)
    : path_(ProgramFolder() + "\\" + Gbk(nameUtf8)) {
  RemoveTree(path_);
  MakeFolder(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::string ScratchFolder::operator/(const char* nameUtf8) const {
  return path_ + "\\" + Gbk(nameUtf8);
}

std::optional<std::string> WaitForFile(const std::string& path, std::uint32_t limitMs) {
  const std::uint64_t end = NowMs() + limitMs;
  std::optional<std::string> previous;
  for (;;) {
    std::optional<std::string> now = ReadBytes(path);
    if (now && !now->empty() && previous == now) return now;
    previous = now;
    if (NowMs() >= end) return std::nullopt;
    Sleep(50);
  }
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool ReadOnlyIsEnforced(const std::string& folder) {
  const std::string probe = folder + "\\read-only-probe";
  WriteBytes(probe, "x");
  SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool enforced = file == INVALID_HANDLE_VALUE;
  if (!enforced) CloseHandle(file);
  SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(probe.c_str());
  return enforced;
}

std::uint64_t NowMs() { return GetTickCount64(); }

// Through the wide functions: Wine's GetEnvironmentVariableA cuts GBK
// values short.
ScopedEnvironment::ScopedEnvironment(const char* name, std::optional<std::string> value)
    : name_(name) {
  const std::wstring wideName = WideFromGbk(name_);
  wchar_t buffer[4096];
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer, 4096);
  if (length > 0 && length < 4096) {
    old_ = Narrow(936, std::wstring_view(buffer, length), nullptr);
  }
  SetEnvironmentVariableW(wideName.c_str(), value ? WideFromGbk(*value).c_str() : nullptr);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableW(WideFromGbk(name_).c_str(), old_ ? WideFromGbk(*old_).c_str() : nullptr);
}

void SetInstallValue(std::string_view gbkFolder, REGSAM viewFlag) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0,
                                KEY_SET_VALUE | viewFlag, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("RegCreateKeyExA failed: " + std::to_string(status));
  }
  const std::string data(gbkFolder);
  status = RegSetValueExA(key, kInstallValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("RegSetValueExA failed: " + std::to_string(status));
  }
}

void DeleteInstallValue() {
  for (const REGSAM viewFlag : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_SET_VALUE | viewFlag, &key) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(key, kInstallValue);
      RegCloseKey(key);
    }
  }
}

MessageBuffer::MessageBuffer() { std::memset(bytes_, kMarker, kSize); }

std::string MessageBuffer::Text() const {
  return std::string(bytes_, std::find(bytes_, bytes_ + kSize, '\0') - bytes_);
}

::testing::AssertionResult MessageBuffer::Holds(const std::string& gbk) const {
  if (gbk.size() + 1 > kSize) return ::testing::AssertionFailure() << "expected message too long";
  const std::string held = Text();
  if (held != gbk) {
    return ::testing::AssertionFailure() << "message buffer holds \"" << Readable(held)
                                         << "\", expected \"" << Readable(gbk) << "\"";
  }
  for (std::size_t i = gbk.size() + 1; i < kSize; ++i) {
    if (bytes_[i] != kMarker) {
      return ::testing::AssertionFailure()
             << "byte " << i << " after the message's zero byte was overwritten";
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult MessageBuffer::Untouched() const {
  for (std::size_t i = 0; i < kSize; ++i) {
    if (bytes_[i] != kMarker) {
      return ::testing::AssertionFailure()
             << "message buffer written at byte " << i << ": \"" << Readable(Text()) << "\"";
    }
  }
  return ::testing::AssertionSuccess();
}

std::string LoginXml(std::initializer_list<std::pair<const char*, const char*>> fields) {
  std::string utf8 = "<Info><LoginInfo>";
  for (const auto& [name, value] : fields) {
    utf8 += std::string("<") + name + ">" + value + "</" + name + ">";
  }
  utf8 += "</LoginInfo></Info>";
  return Gbk(utf8);
}

std::string BatchLogin(const char* account, const char* year, const char* period,
                       const char* server) {
  return LoginXml(
      {{"AccountCode", account}, {"Year", year}, {"Period", period}, {"Server", server}});
}

}  // namespace vok::wine_test
