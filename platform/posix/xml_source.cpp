#include "platform/posix/posix_xml_source.h"

#include <fcntl.h>

#include <limits>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/xml.h"
#include "platform/xml_declaration.h"

namespace vok::platform::posix {
namespace {

// The encoding named in the XML declaration, lower-cased, or "".
std::string DeclaredEncoding(std::string_view bytes) {
  const std::optional<EncodingDeclaration> declared = FindEncodingDeclaration(bytes);
  if (!declared) return {};
  std::string name(declared->name);
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
