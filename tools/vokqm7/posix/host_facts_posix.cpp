#include "bundle/host_facts.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/posix/posix_fd.h"

namespace vok::tool {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : "";
}

std::string LocalTime(std::time_t when) {
  std::tm local{};
  char text[32] = "";
  if (::localtime_r(&when, &local) != nullptr) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  }
  return text;
}

// GBK paths name Linux files by their UTF-8 names, '\' standing for '/'.
std::string SystemPath(const std::string& gbk) {
  std::string utf8 = platform::GbkToUtf8(gbk);
  std::replace(utf8.begin(), utf8.end(), '\\', '/');
  return utf8;
}

}  // namespace

Facts HostFacts() {
  Facts facts;
  struct utsname name {};
  facts.emplace_back("system", ::uname(&name) == 0 ? std::string(name.sysname) + " " +
                                                         name.release + " " + name.machine
                                                   : std::string("unknown"));
  facts.emplace_back("ANSI code page", "936 (the POSIX layer holds every text as GBK)");
  std::string language = Environment("LC_ALL");
  if (language.empty()) language = Environment("LC_MESSAGES");
  if (language.empty()) language = Environment("LANG");
  facts.emplace_back("user UI language", language.empty() ? "not set (C)" : language);
  return facts;
}

Facts MachineValueByView(const std::string& subkey, const std::string& value_name) {
  const std::optional<std::string> value =
      platform::ReadMachineValue(subkey, value_name, 4096);
  return {{"the registry folder (one view)", value ? *value : "missing or unreadable"}};
}

std::vector<ListedEntry> ListFolder(const std::string& folder) {
  std::vector<ListedEntry> listing;
  std::function<void(const std::string&, const std::string&)> walk =
      [&](const std::string& system_folder, const std::string& below) {
        const platform::posix::FolderListing dir(::opendir(system_folder.c_str()));
        if (!dir) return;
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir.get())) {
          const std::string name = entry->d_name;
          if (name != "." && name != "..") names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
          const std::string path = system_folder + "/" + name;
          struct stat st {};
          if (::lstat(path.c_str(), &st) != 0) continue;
          ListedEntry entry;
          entry.path = below.empty() ? platform::Utf8ToGbk(name)
                                     : below + "\\" + platform::Utf8ToGbk(name);
          entry.folder = S_ISDIR(st.st_mode);
          entry.bytes = entry.folder ? 0 : static_cast<std::uint64_t>(st.st_size);
          entry.modified = LocalTime(st.st_mtime);
          listing.push_back(entry);
          if (entry.folder) walk(path, entry.path);
        }
      };
  walk(SystemPath(folder), "");
  return listing;
}

}  // namespace vok::tool
