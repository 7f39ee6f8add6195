#include "batch/folder_state.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "host.h"
#include "language/language.h"
#include "output.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_parts.h"

namespace vok::tool {
namespace {

constexpr std::uint32_t kFolderAttribute = 0x10;

// Compared as characters: a GBK trail byte is never taken for the dot.
bool IsDocumentBeingWritten(const std::string& name) {
  const std::u16string text = platform::GbkToUtf16(name);
  const std::u16string_view suffix = u".xml.part";
  return text.size() > suffix.size() &&
         std::u16string_view(text).substr(text.size() - suffix.size()) == suffix;
}

// "" when a file can be made in the folder; else the system's reason.
std::string CannotWriteIn(const std::string& folder) {
  const std::string probe = platform::JoinPath(folder, "vokqm7-check.tmp");
  if (!platform::WriteWholeFile(probe, "")) return LastFileError();
  platform::DeleteFile(probe);
  return "";
}

}  // namespace

std::vector<std::string> RemoveLeftTemporaries(const std::string& folder) {
  std::vector<std::string> removed;
  const std::optional<std::vector<std::string>> names = FilesInFolder(folder);
  if (!names) return removed;
  for (const std::string& name : *names) {
    if (!IsReplacementTemporary(name, "summary.csv") &&
        !IsReplacementTemporary(name, "summary.html") && !IsDocumentBeingWritten(name)) {
      continue;
    }
    const std::string path = platform::JoinPath(folder, name);
    if (platform::DeleteFile(path)) {
      removed.push_back(name);
    } else {
      Complain(TrF("cannot remove %s, which a killed run left: %s", path, LastFileError()));
    }
  }
  return removed;
}

std::string FolderWriteFault(const std::string& folder) {
  const std::optional<std::uint32_t> attributes = platform::GetFileAttributes(folder);
  if (!attributes) {
    // The run makes it: the nearest folder above that exists must take it.
    // Above the top of the path is the root ("/x") or the current folder;
    // a first byte is never a GBK trail byte.
    const std::string top =
        !folder.empty() && (folder[0] == '/' || folder[0] == '\\') ? folder.substr(0, 1) : ".";
    std::string above = folder;
    std::optional<std::uint32_t> found;
    do {
      above = platform::FolderOfPath(above);
      found = platform::GetFileAttributes(above.empty() ? top : above);
    } while (!found && !above.empty());
    const std::string shown = above.empty() ? top : above;
    if (!found || (*found & kFolderAttribute) == 0) {
      return TrF("%s cannot be made: %s is no folder", folder, shown);
    }
    const std::string reason = CannotWriteIn(shown);
    return reason.empty() ? ""
                          : TrF("%s cannot be made: %s cannot be written: %s", folder, shown,
                                reason);
  }
  if ((*attributes & kFolderAttribute) == 0) return TrF("%s is no folder", folder);
  const std::string reason = CannotWriteIn(folder);
  if (!reason.empty()) return TrF("%s cannot be written: %s", folder, reason);
  const std::string summary = platform::JoinPath(folder, "summary.csv");
  const std::optional<std::uint32_t> record = platform::GetFileAttributes(summary);
  if (record && (*record & kFolderAttribute) != 0) {
    return TrF("%s cannot be written: it is a folder", summary);
  }
  if (record && (*record & platform::kFileAttributeReadOnly) != 0) {
    return TrF("%s cannot be written: it is read-only", summary);
  }
  return "";
}

}  // namespace vok::tool
