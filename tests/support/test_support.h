// Helpers shared by the native tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vok::test {

// GBK bytes of a UTF-8 literal, converted with iconv here so that expected
// texts never come from the code under test.
std::string Gbk(std::string_view utf8);

// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const;

 private:
  std::string path_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_value_;
  std::string old_value_;
};

// Plain file helpers on UTF-8 paths (the test's own view of the disk).
void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
bool IsReadOnly(const std::string& path);
void MakeReadOnly(const std::string& path);
// The names in a folder, in the order the system lists them.
std::vector<std::string> FolderEntries(const std::string& folder);

// A report tool installation in a temporary folder: the registry folder,
// named by VOKQM7_REGISTRY while the object lives, with the install value, the folder "<root>/vok" holding
// the stand-in tools, and GBK-named template folders.
class TestInstallation {
 public:
  TestInstallation();

  // The folder the registry value names, and the InstallLocation below it:
  // as the library spells it (the registry value followed by "\\vok") and
  // as a plain path for the test's own file work.
  const std::string& root() const { return root_; }
  std::string library_location() const { return root_ + "\\vok"; }
  std::string location() const { return root_ + "/vok"; }
  std::string InLocation(std::string_view name) const;

  // The registry folder and the install value's file.
  std::string registry_folder() const { return temp_ / "registry"; }
  std::string registry_value_file() const;
  void SetRegistryValue(std::string_view bytes) const;
  void RemoveRegistryValue() const;

  // The last command line the stand-in tools were given.
  std::string BatchCommandTail() const { return ReadFile(InLocation("vokwqm7.args")); }
  std::string InteractiveCommandTail() const { return ReadFile(InLocation("vokdesk.args")); }

  const TempFolder& temp() const { return temp_; }

 private:
  TempFolder temp_;
  ScopedEnv registry_env_;
  std::string root_;
};

// The installation every test of one test program shares: the library keeps
// the first InstallLocation it finds for the life of the process.
const TestInstallation& SharedInstallation();

// The unprivileged user the tests play another local user with.
inline constexpr unsigned kNobody = 65534;

// A folder that `nobody` owns and alone may use, as the runtime folder a
// desktop session gives each user: where the library keeps that user's
// installation records. Removed with the object.
class NobodysRuntimeFolder : public TempFolder {
 public:
  NobodysRuntimeFolder();
};

// In a forked child: becomes `nobody`, with `runtime` as its runtime
// folder; false when the privileges could not be dropped.
bool BecomeNobody(const NobodysRuntimeFolder& runtime);

// A small login text with the four fields of the batch exports.
std::string BatchLogin(std::string_view account, std::string_view year, std::string_view period,
                       std::string_view server);

}  // namespace vok::test
