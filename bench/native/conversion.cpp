#include "native/conversion.h"

#include "request/message_buffer.h"
#include "sections/section_writers.h"

namespace vok::bench {

bool Convert(Writer writer, const std::string& path) {
  using WriterFunction = std::int32_t (*)(const std::string&, std::string&, std::int32_t,
                                          std::int32_t, MessageBuffer&);
  WriterFunction run = nullptr;
  switch (writer) {
    case Writer::kBalanceV1: run = WriteBalanceSheetSectionV1; break;
    case Writer::kBalanceV2: run = WriteBalanceSheetSectionV2; break;
    case Writer::kIncomeV1: run = WriteIncomeStatementSectionV1; break;
    case Writer::kIncomeV2: run = WriteIncomeStatementSectionV2; break;
    case Writer::kIncomeV3: run = WriteIncomeStatementSectionV3; break;
  }
  char text[64] = {};
  MessageBuffer message(text);
  std::string output;
  return run(path, output, 2007, 2, message) == 0 && output.size() > 1000;
}

}  // namespace vok::bench
