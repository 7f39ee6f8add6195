#include "test_installation.h"

#include "platform/path_parts.h"
#include "wine_support.h"

namespace vok::wine_test {

TestInstallation::TestInstallation(const char* nameUtf8)
    : root_(ProgramFolder() + "\\" + Gbk(nameUtf8)) {
  RemoveTree(root_);
  MakeFolder(location());
  // The build puts the stand-in tools beside the test program.
  CopyInto(ProgramFolder() + "\\vokwqm7.exe", InLocation("\\vokwqm7.exe"));
  CopyInto(ProgramFolder() + "\\vokdesk.exe", InLocation("\\vokdesk.exe"));
}

TestInstallation::~TestInstallation() {
  DeleteInstallValue();
  RemoveTree(root_);
}

void TestInstallation::Register() const { SetInstallValue(root_); }

std::string TestInstallation::Place(const char* nameUtf8, const std::string& bytes) const {
  const std::string path = root_ + "\\" + Gbk(nameUtf8);
  MakeFolder(platform::FolderOfPath(path));
  WriteBytes(path, bytes);
  return path;
}

std::string TestInstallation::BatchArgs() const {
  return ReadBytes(InLocation("\\vokwqm7.args")).value_or("<no vokwqm7.args>");
}

std::string TestInstallation::InteractiveArgs() const {
  return ReadBytes(InLocation("\\vokdesk.args")).value_or("<no vokdesk.args>");
}

void TestInstallation::ForgetArgs() const {
  RemoveTree(InLocation("\\vokwqm7.args"));
  RemoveTree(InLocation("\\vokdesk.args"));
}

}  // namespace vok::wine_test
