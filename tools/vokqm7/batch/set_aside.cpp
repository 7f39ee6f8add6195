#include "batch/set_aside.h"

#include "batch/runner.h"
#include "host.h"
#include "language/language.h"
#include "platform/files.h"

namespace vok::tool {

std::string EarlierName(const std::string& folder, const std::string& stem) {
  const std::string earlier = InFolder(folder, "earlier");
  const std::string written = WrittenTimeText(InFolder(folder, stem + ".xml"));
  const std::string base = stem + "." + (written.empty() ? "earlier" : written);
  std::string name = base;
  for (int n = 2; platform::PathExists(InFolder(earlier, name + ".xml")); ++n) {
    name = base + "-" + std::to_string(n);
  }
  return name;
}

bool MoveToEarlier(const std::string& folder, const std::string& stem, const std::string& name,
                   std::string& reason) {
  const std::string earlier = InFolder(folder, "earlier");
  if (!MakeFolders(earlier)) {
    reason = TrF("cannot create the folder %s", earlier);
    return false;
  }
  const std::string path = InFolder(folder, stem + ".xml");
  if (!MoveFileReplacing(path, InFolder(earlier, name + ".xml"), reason)) {
    reason = TrF("cannot move %s: %s", path, reason);
    return false;
  }
  const std::string page = InFolder(folder, stem + ".html");
  std::string ignored;
  if (platform::PathExists(page)) {
    (void)MoveFileReplacing(page, InFolder(earlier, name + ".html"), ignored);
  }
  return true;
}

bool MoveBack(const std::string& folder, const std::string& stem, const std::string& name,
              std::string& reason) {
  const std::string from = InFolder(InFolder(folder, "earlier"), name + ".xml");
  if (MoveFileReplacing(from, InFolder(folder, stem + ".xml"), reason)) return true;
  reason = TrF("cannot move %s: %s", from, reason);
  return false;
}

}  // namespace vok::tool
