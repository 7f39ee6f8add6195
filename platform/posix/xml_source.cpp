#include "platform/posix/posix_xml_source.h"

#include <fcntl.h>

#include <limits>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/encoding_names.h"
#include "platform/posix/posix_fd.h"
#include "platform/posix/posix_paths.h"
#include "platform/xml.h"
#include "platform/xml_declaration.h"

namespace vok::platform::posix {
namespace {

// Whether the XML declaration names code page 936 under any of its names.
bool DeclaresGbk(std::string_view bytes) {
  const std::optional<EncodingDeclaration> declared = FindEncodingDeclaration(bytes);
  return declared && IsGbkEncodingName(declared->name);
}

}  // namespace

XmlSource ReadXmlSource(const std::string& gbkPath) {
  const std::optional<std::string> path = ToSystemPath(gbkPath);
  if (!path) throw XmlError("cannot open XML file: " + gbkPath);
  UniqueFd fd(::open(path->c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) throw XmlError("cannot open XML file: " + gbkPath);
  std::optional<std::string> bytes =
      ReadAll(fd.get(), static_cast<std::size_t>(std::numeric_limits<int>::max()));
  if (!bytes) throw XmlError("cannot read XML file: " + gbkPath);
  XmlSource source;
  if (DeclaresGbk(*bytes)) {
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
