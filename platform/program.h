// Facts about the running program, for the stand-in tools and the
// command-line tool. The library itself does not use these.
#pragma once

#include <cstdint>
#include <string>

namespace vok::platform {

// The text after the program token of the command line this process was
// started with, byte for byte (Windows: from GetCommandLine; POSIX: argv[1]
// as the POSIX process layer passes it).
std::string CommandLineTail(int argc, char** argv);

// The folder holding this program's executable, without a trailing separator.
std::string ExecutableFolder();

// The path separator of the host ("\\" or "/").
char PathSeparator();

void SleepMilliseconds(std::uint32_t ms);

}  // namespace vok::platform
