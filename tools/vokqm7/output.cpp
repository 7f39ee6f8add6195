#include "output.h"

#include <algorithm>
#include <cstdio>

#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/program.h"

namespace vok::tool {
namespace {

std::string* captured = nullptr;
OutputEncoding output_encoding = OutputEncoding::kUtf8;

}  // namespace

void SetOutputEncoding(OutputEncoding encoding) { output_encoding = encoding; }
OutputEncoding CurrentOutputEncoding() { return output_encoding; }

CapturedOutput::CapturedOutput(std::string& into) : previous_(captured) { captured = &into; }
CapturedOutput::~CapturedOutput() { captured = previous_; }

void Say(std::string_view gbk) {
  if (captured != nullptr) {
    *captured += std::string(gbk) + "\n";
    return;
  }
  WriteText(stdout, std::string(gbk) + "\n");
  std::fflush(stdout);
}

void Complain(std::string_view gbk) {
  if (captured != nullptr) {
    *captured += std::string(gbk) + "\n";
    return;
  }
  std::fflush(stdout);
  WriteText(stderr, std::string(gbk) + "\n");
  std::fflush(stderr);
}

std::optional<std::string> ReadFileBytes(const std::string& gbk_path) {
  return platform::ReadWholeFile(gbk_path);
}

std::optional<std::string> ReadFileOrComplain(const std::string& gbk_path,
                                              const char* cannot_read, int& status) {
  std::optional<std::string> bytes = platform::ReadWholeFile(gbk_path);
  if (!bytes) {
    Complain(TrF(cannot_read, gbk_path));
    status = kExitCannotRun;
  }
  return bytes;
}

std::string WithLastLineWritten(std::string bytes, const std::string& gbk_path,
                                std::uint32_t budget_ms, FileReader read) {
  std::uint32_t pause = 5;
  for (std::uint32_t waited = 0; !bytes.empty() && bytes.back() != '\n' && waited < budget_ms;
       waited += pause, pause *= 2) {
    platform::SleepMilliseconds(std::min(pause, budget_ms - waited));
    std::optional<std::string> again = read(gbk_path);
    if (!again) break;
    bytes = std::move(*again);
  }
  return bytes;
}

std::string DocumentToUtf8(std::string_view gbk) {
  std::string utf8 = platform::GbkToUtf8(gbk);
  if (utf8.rfind("<?xml", 0) == 0) {
    const std::size_t end = utf8.find("?>");
    for (const char* declared : {"encoding=\"GBK\"", "encoding=\"gbk\"", "encoding='GBK'"}) {
      const std::size_t at = utf8.find(declared);
      if (at != std::string::npos && at < end) {
        utf8.replace(at, std::string_view(declared).size(), "encoding=\"UTF-8\"");
        break;
      }
    }
  }
  return utf8;
}

bool WriteDocument(const std::string& gbk_path, std::string_view gbk, bool utf8) {
  return platform::WriteWholeFile(gbk_path, utf8 ? DocumentToUtf8(gbk) : std::string(gbk)).ok();
}

bool ConvertFileToUtf8(const std::string& gbk_path) {
  std::optional<std::string> bytes = platform::ReadWholeFile(gbk_path);
  return bytes && WriteDocument(gbk_path, *bytes, true);
}

}  // namespace vok::tool
