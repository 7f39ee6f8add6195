// Arbitrary bytes as the cell export, read by each of the five section
// writers. A writer that reports success must have produced a section that
// parses as XML inside the filing document: a corrupt filing is a finding.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "request/message_buffer.h"
#include "sections/section_writers.h"

namespace {

using Writer = std::int32_t (*)(const std::string&, std::string&, std::int32_t, std::int32_t,
                                vok::MessageBuffer&);

constexpr Writer kWriters[] = {
    vok::WriteBalanceSheetSectionV1,    vok::WriteBalanceSheetSectionV2,
    vok::WriteIncomeStatementSectionV1, vok::WriteIncomeStatementSectionV2,
    vok::WriteIncomeStatementSectionV3,
};

const std::string& ExportPath() {
  static const std::string path = [] {
    char name[] = "/tmp/vokqm7-section-fuzz-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) std::abort();
    ::close(fd);
    return std::string(name);
  }();
  return path;
}

bool ParsesAsXml(const std::string& document) {
  xmlDocPtr doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr,
                                nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const bool ok = doc != nullptr;
  xmlFreeDoc(doc);
  return ok;
}

void RemoveExport() { std::remove(ExportPath().c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(RemoveExport);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(ExportPath().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  for (const Writer writer : kWriters) {
    std::string document = "<?xml version=\"1.0\" encoding=\"GBK\" ?><DZSBB>";
    char message[128] = {};
    vok::MessageBuffer buffer(message);
    if (writer(ExportPath(), document, 2007, 2, buffer) != 0) {
      if (message[0] == '\0') std::abort();  // a failure must say what went wrong
      continue;
    }
    document += "</DZSBB>";
    if (!ParsesAsXml(document)) {
      std::fprintf(stderr, "corrupt section:\n%s\n", document.c_str());
      std::abort();
    }
  }
  return 0;
}
