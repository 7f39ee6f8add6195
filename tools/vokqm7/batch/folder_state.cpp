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

// Compared as characters: a GBK trail byte is never taken for the dot.
bool EndsWith(const std::u16string& text, std::u16string_view suffix) {
  return text.size() > suffix.size() &&
         std::u16string_view(text).substr(text.size() - suffix.size()) == suffix;
}

bool IsLeftTemporary(const std::string& name) {
  if (IsReplacementTemporary(name, "summary.csv") ||
      IsReplacementTemporary(name, "summary.html")) {
    return true;
  }
  const std::u16string text = platform::GbkToUtf16(name);
  if (EndsWith(text, u".xml.part")) return true;
  // The library writes a document as a replacement, which Linux names
  // after its target with ".tmp." and six characters (Windows' names are
  // those of the summary's).
  constexpr std::size_t kTail = 11;
  if (text.size() <= kTail) return false;
  const std::u16string target = text.substr(0, text.size() - kTail);
  return EndsWith(target, u".xml.part") &&
         IsReplacementTemporary(name, platform::Utf16ToGbk(target));
}

// "" when a file can be made in the folder; else the system's reason.
std::string CannotWriteIn(const std::string& folder) {
  const std::string probe = platform::JoinPath(folder, "vokqm7-check.tmp");
  if (!platform::WriteWholeFile(probe, "")) return LastFileError();
  platform::DeleteFile(probe);
  return "";
}

}  // namespace

std::vector<std::string> RemoveLeftTemporaries(const std::string& folder, bool act) {
  std::vector<std::string> removed;
  const std::optional<std::vector<std::string>> names = FilesInFolder(folder);
  if (!names) return removed;
  for (const std::string& name : *names) {
    if (!IsLeftTemporary(name)) continue;
    const std::string path = platform::JoinPath(folder, name);
    if (!act || platform::DeleteFile(path)) {
      removed.push_back(name);
    } else {
      Complain(TrF("cannot remove %s, which a killed run left: %s", path, LastFileError()));
    }
  }
  return removed;
}

namespace {

// The folder, or where it is missing the nearest folder above it that
// exists; "" when there is none. Above the top of the path is the root
// ("/x") or the current folder; a first byte is never a GBK trail byte.
std::string NearestExisting(const std::string& folder, std::string& missing_top) {
  if (platform::GetFileAttributes(folder)) return folder;
  const std::string top =
      !folder.empty() && (folder[0] == '/' || folder[0] == '\\') ? folder.substr(0, 1) : ".";
  std::string above = folder;
  std::optional<std::uint32_t> found;
  do {
    above = platform::FolderOfPath(above);
    found = platform::GetFileAttributes(above.empty() ? top : above);
  } while (!found && !above.empty());
  missing_top = above.empty() ? top : above;
  return found ? missing_top : "";
}

std::string Kibibytes(std::uint64_t bytes) { return std::to_string((bytes + 1023) / 1024); }

}  // namespace

std::string FolderWriteFault(const std::string& folder) {
  std::string shown;
  const std::string existing = NearestExisting(folder, shown);
  const std::optional<std::uint32_t> attributes = platform::GetFileAttributes(existing);
  if (existing != folder) {
    // The run makes it: the nearest folder above that exists must take it.
    if (!attributes || (*attributes & kFolderAttribute) == 0) {
      return TrF("%s cannot be made: %s is no folder", folder, shown);
    }
    const std::string reason = CannotWriteIn(existing);
    return reason.empty() ? ""
                          : TrF("%s cannot be made: %s cannot be written: %s", folder, shown,
                                reason);
  }
  if ((*attributes & kFolderAttribute) == 0) return TrF("%s is no folder", folder);
  const std::string reason = CannotWriteIn(folder);
  return reason.empty() ? "" : TrF("%s cannot be written: %s", folder, reason);
}

std::vector<std::string> FileWriteFaults(const std::string& folder,
                                         const std::vector<std::string>& names) {
  std::vector<std::string> faults;
  for (const std::string& name : names) {
    const std::string path = platform::JoinPath(folder, name);
    const std::optional<std::uint32_t> attributes = platform::GetFileAttributes(path);
    if (attributes && (*attributes & kFolderAttribute) != 0) {
      faults.push_back(TrF("%s cannot be written: it is a folder", path));
    } else if (attributes && (*attributes & platform::kFileAttributeReadOnly) != 0) {
      faults.push_back(TrF("%s cannot be written: it is read-only", path));
    }
  }
  return faults;
}

std::string SpaceFault(const std::string& folder, std::uint64_t needed) {
  std::string shown;
  const std::string existing = NearestExisting(folder, shown);
  const std::optional<std::uint64_t> free = existing.empty() ? std::nullopt : FreeBytes(existing);
  if (!free) return TrF("the free space for %s cannot be told: %s", folder, LastFileError());
  if (*free >= needed) return "";
  return TrF("%s has %s KiB free, and the run needs about %s KiB", folder, Kibibytes(*free),
             Kibibytes(needed));
}

}  // namespace vok::tool
