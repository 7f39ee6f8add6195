// Windows helpers of the Wine test program. They use the Win32 API directly,
// never the library's platform layer, so that what a test expects does not
// come from the code under test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace vok::wine_test {

// GBK bytes of a UTF-8 literal (MultiByteToWideChar(CP_UTF8) then
// WideCharToMultiByte(936)); throws when a character has no GBK form.
std::string Gbk(std::string_view utf8);

// The UTF-8 form of GBK bytes, for readable failure messages.
std::string Readable(std::string_view gbk);

// GBK bytes as UTF-16, and UTF-16 as UTF-8.
std::wstring WideFromGbk(std::string_view gbk);
std::string Utf8FromWide(std::wstring_view wide);

// The folder holding the test program, without a trailing backslash.
std::string ProgramFolder();

// Files on GBK paths.
void WriteBytes(const std::string& path, std::string_view bytes);
std::optional<std::string> ReadBytes(const std::string& path);
bool Exists(const std::string& path);
void MakeFolder(const std::string& path);   // with its parents
void RemoveTree(const std::string& path);   // quietly, read-only files too
void CopyInto(const std::string& from, const std::string& to);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string& path);

// A fresh folder beside the test program, removed with its content at the
// end; its name is UTF-8 in the source and GBK on disk.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* nameUtf8);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + the GBK form of `nameUtf8`.
  std::string operator/(const char* nameUtf8) const;

 private:
  std::string path_;
};

// The content of `path` once a process writing it has finished: polls until
// the file holds the same non-empty bytes twice in a row, or `limitMs` ran out.
std::optional<std::string> WaitForFile(const std::string& path, std::uint32_t limitMs);

// True under Wine (ntdll exports wine_get_version), for the checks that
// mark a known difference of Wine from Windows.
bool RunningUnderWine();

// Whether a read-only file in `folder` refuses to be opened for writing.
// Not so under Wine run as root: Wine maps read-only onto Unix permission
// bits, which do not bind root.
bool ReadOnlyIsEnforced(const std::string& folder);

// Milliseconds since an arbitrary start.
std::uint64_t NowMs();

// Sets (or, with nullopt, removes) a process environment variable for the
// life of the object; the started report tools inherit it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<std::string> value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// The registry value the library finds the report tool's installation by,
// HKLM\Software\Tarvel\Oramet\2.0\Install\CurrentInst : VOKCONFIGFILE.
// It is written in the program's own registry view, or in the one
// `viewFlag` picks (KEY_WOW64_32KEY, KEY_WOW64_64KEY), and deleted from both.
void SetInstallValue(std::string_view gbkFolder, unsigned long viewFlag = 0);
void DeleteInstallValue();

// A caller's message buffer, filled with a marker byte so that every byte
// the library writes (or must not write) can be checked.
class MessageBuffer {
 public:
  static constexpr std::size_t kSize = 160;
  static constexpr char kMarker = '\xCC';
  MessageBuffer();
  char* get() { return bytes_; }
  // The bytes before the first zero byte (all of them when there is none).
  std::string Text() const;

  // Exactly `gbk`, one zero byte, and the marker in every byte after it.
  ::testing::AssertionResult Holds(const std::string& gbk) const;
  // Every byte still the marker.
  ::testing::AssertionResult Untouched() const;

 private:
  char bytes_[kSize];
};

// A login-information text <Info><LoginInfo>...</LoginInfo></Info> with the
// given fields in order; names and values are UTF-8, the result is GBK.
std::string LoginXml(std::initializer_list<std::pair<const char*, const char*>> fields);

// The four fields the batch exports read.
std::string BatchLogin(const char* account, const char* year, const char* period,
                       const char* server);

}  // namespace vok::wine_test
