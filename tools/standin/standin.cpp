#include "standin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform/program.h"

namespace vok::standin {

std::string OwnFile(const char* name) {
  return platform::JoinPath(platform::ExecutableFolder(), name);
}

std::optional<std::string> Environment(const char* name) {
  return platform::EnvironmentValue(name);
}

std::uint32_t EnvironmentNumber(const char* name, std::uint32_t fallback) {
  std::optional<std::string> value = Environment(name);
  if (!value || value->empty()) return fallback;
  char* end = nullptr;
  unsigned long number = std::strtoul(value->c_str(), &end, 10);
  return *end == '\0' ? static_cast<std::uint32_t>(number) : fallback;
}

void RecordCommandLine(const char* tool, const std::string& tail) {
  (void)platform::WriteWholeFile(OwnFile((std::string(tool) + ".args").c_str()), tail);
  std::string log_path = OwnFile((std::string(tool) + ".log").c_str());
  std::string log = platform::ReadWholeFile(log_path).value_or("");
  log += tail;
  log += '\n';
  (void)platform::WriteWholeFile(log_path, log);
}

bool HelpAsked(int argc, char** argv, const char* text) {
  if (argc < 2) return false;
  if (std::strcmp(argv[1], "--help") != 0 && std::strcmp(argv[1], "/?") != 0) return false;
  std::fputs(text, stdout);
  return true;
}

}  // namespace vok::standin
