// What a file-based parse on libxml2 starts from: the file's bytes, read
// here so that libxml2 itself opens nothing, and how to decode them.
#pragma once

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <string>

namespace vok::platform::posix {

// No NOENT, DTDLOAD, DTDATTR or HUGE: entities stay references, no external
// subset or entity is read, and libxml2's size and amplification limits hold.
inline constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct XmlSource {
  std::string bytes;
  const char* encoding = nullptr;  // nullptr: as the file declares
  int extra_options = 0;           // added to kParseOptions
};

// Reads the file at `gbkPath`. A file that declares one of the GB2312
// family's names is read as GBK, as Windows reads it. Throws XmlError when
// the file cannot be opened or read, or is larger than libxml2 takes.
XmlSource ReadXmlSource(const std::string& gbkPath);

// libxml2's global set-up, once per process.
void InitXmlParser();

// While it lives, libxml2's messages that reach no parser context (a byte
// sequence the declared encoding lacks, an I/O error) go nowhere instead of
// to the host's stderr; the handlers the host had are put back afterwards.
// Errors still show as the parse's result.
class QuietXmlErrors {
 public:
  QuietXmlErrors();
  ~QuietXmlErrors();
  QuietXmlErrors(const QuietXmlErrors&) = delete;
  QuietXmlErrors& operator=(const QuietXmlErrors&) = delete;

 private:
  xmlGenericErrorFunc generic_;
  void* generic_context_;
  xmlStructuredErrorFunc structured_;
  void* structured_context_;
};

}  // namespace vok::platform::posix
