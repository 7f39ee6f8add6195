// Facts about the running program, for the stand-in tools, the
// command-line tool and what the library tells others about its host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vok::platform {

// The text after the program token of the command line this process was
// started with, byte for byte (Windows: from GetCommandLine; POSIX: argv[1]
// as the POSIX process layer passes it).
std::string CommandLineTail(int argc, char** argv);

// This program's executable file (GBK), or "" when it cannot be told
// (Windows: also when its path has a character the ANSI code page lacks).
std::string ExecutablePath();

// The folder holding this program's executable, without a trailing separator
// (platform/path_parts.h).
std::string ExecutableFolder();

// This process's identifier, and the calling thread's.
std::uint32_t ProcessId();
std::uint32_t ThreadId();

// The environment variable `name` as GBK (POSIX: from UTF-8), or nothing
// when it is not set, is empty or does not convert.
std::optional<std::string> EnvironmentValue(const char* name);

// The path separator of the host ("\\" or "/").
char PathSeparator();

void SleepMilliseconds(std::uint32_t ms);

}  // namespace vok::platform
