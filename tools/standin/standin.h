// What the two stand-in report tools share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vok::standin {

// A file beside the running tool.
std::string OwnFile(const char* name);

// The value of an environment variable (platform::EnvironmentValue), or
// nothing when it is unset or empty.
std::optional<std::string> Environment(const char* name);

// An environment variable read as a number; `fallback` when unset or bad.
std::uint32_t EnvironmentNumber(const char* name, std::uint32_t fallback);

// Records the command line the tool was given: byte for byte in `<tool>.args`
// (replaced on every start) and as one more line of `<tool>.log`.
void RecordCommandLine(const char* tool, const std::string& tail);

// True when the first argument asks for help; prints `text` then.
bool HelpAsked(int argc, char** argv, const char* text);

}  // namespace vok::standin
