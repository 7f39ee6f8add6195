// What differs between the hosts for a console program: the encoding of its
// arguments and of the terminal. Inside the tool every text is GBK, as in
// the library.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vok::tool {

// A command-line argument as GBK (Linux: from UTF-8; Windows: already in
// the ANSI code page).
std::string ArgumentToGbk(std::string_view argument);

// True when the stream is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream);

// Writes GBK text to the stream in the encoding a reader of it expects:
// UTF-8 on Linux; on Windows the console's own when it is a console, else
// the GBK bytes unchanged.
void WriteText(std::FILE* stream, std::string_view gbk);

}  // namespace vok::tool
