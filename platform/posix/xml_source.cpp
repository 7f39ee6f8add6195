#include "platform/posix/posix_xml_source.h"

#include <fcntl.h>

#include <limits>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/xml.h"

namespace vok::platform::posix {
namespace {

// The encoding named in the XML declaration, lower-cased, or "".
std::string DeclaredEncoding(std::string_view bytes) {
  if (bytes.substr(0, 5) != "<?xml") return {};
  const std::size_t close = bytes.find("?>");
  const std::string_view declaration = bytes.substr(0, close);
  const std::size_t key = declaration.find("encoding");
  if (key == std::string_view::npos) return {};
  std::size_t at = key + 8;
  while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '=' ||
                                     declaration[at] == '\t' || declaration[at] == '\r' ||
                                     declaration[at] == '\n')) {
    ++at;
  }
  if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return {};
  const std::size_t end = declaration.find(declaration[at], at + 1);
  if (end == std::string_view::npos) return {};
  std::string name(declaration.substr(at + 1, end - at - 1));
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// Windows reads the GB2312 family of names as code page 936 (GBK), and
// files that say gb2312 routinely hold GBK-only characters.
bool IsGbkName(const std::string& name) {
  static const char* const kNames[] = {"gb2312", "gbk", "cp936", "ms936", "windows-936",
                                       "x-gbk", "csgb2312", "gb_2312-80", "euc-cn"};
  for (const char* known : kNames) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

XmlSource ReadXmlSource(const std::string& gbkPath) {
  const std::optional<std::string> path = ToSystemPath(gbkPath);
  if (!path) throw XmlError("cannot open XML file: " + gbkPath);
  UniqueFd fd(::open(path->c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) throw XmlError("cannot open XML file: " + gbkPath);
  std::optional<std::string> bytes =
      ReadAll(fd.Get(), static_cast<std::size_t>(std::numeric_limits<int>::max()));
  if (!bytes) throw XmlError("cannot read XML file: " + gbkPath);
  XmlSource source;
  if (IsGbkName(DeclaredEncoding(*bytes))) {
    source.encoding = "GBK";
    source.extra_options = XML_PARSE_IGNORE_ENC;
  }
  source.bytes = std::move(*bytes);
  return source;
}

void InitXmlParser() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

namespace {
void IgnoreGenericError(void*, const char*, ...) {}
void IgnoreStructuredError(void*, xmlErrorPtr) {}
}  // namespace

QuietXmlErrors::QuietXmlErrors()
    : generic_(xmlGenericError),
      generic_context_(xmlGenericErrorContext),
      structured_(xmlStructuredError),
      structured_context_(xmlStructuredErrorContext) {
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  xmlSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
}

QuietXmlErrors::~QuietXmlErrors() {
  xmlSetGenericErrorFunc(generic_context_, generic_);
  xmlSetStructuredErrorFunc(structured_context_, structured_);
}

}  // namespace vok::platform::posix
