// Shared fixtures of the POSIX platform tests (a namespace of their own, so
// they never clash with the helpers of the other native tests).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

namespace vok::platform_test {

// GBK bytes of folder names the library really meets. 誠 ends in 0x5C, the
// byte of a backslash.
inline const std::string kGbkGuoShuiShenBao = "\xB9\xFA\xCB\xB0\xC9\xEA\xB1\xA8";  // 国税申报
inline const std::string kUtf8GuoShuiShenBao = "\xE5\x9B\xBD\xE7\xA8\x8E\xE7\x94\xB3\xE6\x8A\xA5";
inline const std::string kGbkCheng = "\xD5\x5C";          // 誠
inline const std::string kUtf8Cheng = "\xE8\xAA\xA0";

// A fresh folder under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/vokqm7-platform-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (or, with nullopt, removes) an environment variable for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Apply(value);
  }
  ~ScopedEnv() { Apply(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value) ::setenv(name_, value->c_str(), 1);
    else ::unsetenv(name_);
  }
  const char* name_;
  std::optional<std::string> old_;
};

inline mode_t ModeOf(const std::string& utf8Path) {
  struct stat st {};
  if (::stat(utf8Path.c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

// Reads a file by its OS path, independently of the code under test.
inline std::string ReadUtf8(const std::string& utf8Path) {
  std::ifstream in(utf8Path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteUtf8(const std::string& utf8Path, const std::string& bytes) {
  std::ofstream out(utf8Path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + utf8Path);
}

}  // namespace vok::platform_test
