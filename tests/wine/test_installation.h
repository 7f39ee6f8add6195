// A report tool installation for the library to find: a folder under the
// test program's folder, named in Chinese so that GBK paths go through every
// layer, with the stand-in tools in its "vok" folder and the registry value
// naming it.
#pragma once

#include <string>

namespace vok::wine_test {

class TestInstallation {
 public:
  // `nameUtf8`: the root folder's name. Removes any leftover of an earlier
  // run, creates the folders and copies vokwqm7.exe and vokdesk.exe.
  explicit TestInstallation(const char* nameUtf8);
  ~TestInstallation();
  TestInstallation(const TestInstallation&) = delete;
  TestInstallation& operator=(const TestInstallation&) = delete;

  // Points the registry value at this installation.
  void Register() const;

  // The folder the registry value names, and the InstallLocation below it.
  const std::string& root() const { return root_; }
  std::string location() const { return root_ + "\\vok"; }
  std::string InLocation(const char* piece) const { return location() + piece; }

  // A file under the root, outside the InstallLocation; `nameUtf8` may name
  // sub-folders, which are created.
  std::string Place(const char* nameUtf8, const std::string& bytes) const;

  // What the stand-in tools recorded of their last command line.
  std::string BatchArgs() const;
  std::string InteractiveArgs() const;
  void ForgetArgs() const;

 private:
  std::string root_;
};

}  // namespace vok::wine_test
