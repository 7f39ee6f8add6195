#include "test_support.h"

#include <iconv.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace vok::test {

std::string Gbk(std::string_view utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
  std::string in(utf8);
  std::string out(in.size() * 2 + 4, '\0');
  char* inp = in.data();
  size_t inleft = in.size();
  char* outp = out.data();
  size_t outleft = out.size();
  size_t done = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) throw std::runtime_error("not convertible to GBK");
  out.resize(out.size() - outleft);
  return out;
}

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "vokqm7-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempFolder::operator/(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (had_value_) {
    setenv(name_.c_str(), old_value_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing " + path + ">";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path, ignored));
}

void MakeFolders(const std::string& path) { fs::create_directories(path); }

bool IsReadOnly(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

void MakeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TestInstallation::TestInstallation()
    : registry_env_("VOKQM7_REGISTRY", temp_ / "registry"), root_(temp_ / "install") {
  MakeFolders(location() + "/vokModel/国税申报");
  MakeFolders(location() + "/vokModel/财务申报");
  fs::copy_file(VOKQM7_STANDIN_BATCH_TOOL, location() + "/vokwqm7.exe");
  fs::copy_file(VOKQM7_STANDIN_INTERACTIVE_TOOL, location() + "/vokdesk.exe");
  SetRegistryValue(root_);
}

std::string TestInstallation::InLocation(std::string_view name) const {
  return location() + "/" + std::string(name);
}

std::string TestInstallation::registry_value_file() const {
  return registry_folder() +
         "/HKEY_LOCAL_MACHINE/Software/Tarvel/Oramet/2.0/Install/CurrentInst/VOKCONFIGFILE";
}

void TestInstallation::SetRegistryValue(std::string_view bytes) const {
  MakeFolders(fs::path(registry_value_file()).parent_path().string());
  WriteFile(registry_value_file(), std::string(bytes) + "\n");
}

void TestInstallation::RemoveRegistryValue() const {
  std::error_code ignored;
  fs::remove(registry_value_file(), ignored);
}

const TestInstallation& SharedInstallation() {
  static const TestInstallation installation;
  return installation;
}

// Only root can give it away; for anyone else it stays the caller's own.
NobodysRuntimeFolder::NobodysRuntimeFolder() {
  if (::geteuid() != 0) return;
  if (::chown(path().c_str(), kNobody, kNobody) != 0 || ::chmod(path().c_str(), 0700) != 0) {
    throw std::runtime_error("cannot give " + path() + " to nobody");
  }
}

bool BecomeNobody(const NobodysRuntimeFolder& runtime) {
  return ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1) == 0 &&
         ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

std::string BatchLogin(std::string_view account, std::string_view year, std::string_view period,
                       std::string_view server) {
  std::string xml = "<Info><LoginInfo>";
  xml += "<AccountCode>" + std::string(account) + "</AccountCode>";
  xml += "<Year>" + std::string(year) + "</Year>";
  xml += "<Period>" + std::string(period) + "</Period>";
  xml += "<Server>" + std::string(server) + "</Server>";
  xml += "</LoginInfo></Info>";
  return xml;
}

}  // namespace vok::test
