#include "filing_fixture.h"

#include <cstdio>
#include <optional>
#include <stdexcept>

#include "windows_headers.h"

namespace vok::wine_test {

std::string Fixture(const char* name) { return ProgramFolder() + "\\filing\\" + name; }

std::string FixtureBytes(const char* name) {
  std::optional<std::string> bytes = ReadBytes(Fixture(name));
  if (!bytes) throw std::runtime_error(std::string("no fixture ") + name + " beside the program");
  return *bytes;
}

std::string Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", static_cast<unsigned>(now.wYear),
                static_cast<unsigned>(now.wMonth), static_cast<unsigned>(now.wDay));
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace vok::wine_test
