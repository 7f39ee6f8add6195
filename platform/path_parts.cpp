#include "platform/path_parts.h"

#include "platform/codepage.h"
#include "platform/program.h"

namespace vok::platform {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The byte offset of the last separator, or npos. The characters are
// counted in UTF-16, where no separator hides in another character, and
// those before the separator are turned back into bytes to find where it
// stands; a text that does not come back byte for byte (bytes that are no
// character of the code page) has no separator to trust.
std::size_t LastSeparator(std::string_view path) {
  const std::u16string wide = GbkToUtf16(path);
  std::size_t at = wide.size();
  while (at > 0 && !IsSeparator(wide[at - 1])) --at;
  if (at == 0) return std::string_view::npos;
  const std::string before = Utf16ToGbk(std::u16string_view(wide).substr(0, at - 1));
  const bool exact = before.size() < path.size() && path.substr(0, before.size()) == before &&
                     (path[before.size()] == '\\' || path[before.size()] == '/');
  return exact ? before.size() : std::string_view::npos;
}

}  // namespace

std::string FolderOfPath(std::string_view path) {
  const std::size_t cut = LastSeparator(path);
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

std::string FileNameOfPath(std::string_view path) {
  const std::size_t cut = LastSeparator(path);
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  const std::u16string wide = GbkToUtf16(folder);
  if (!wide.empty() && !IsSeparator(wide.back())) joined += PathSeparator();
  return joined.append(name);
}

}  // namespace vok::platform
