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

// Where `vokqm7 trace on` puts the trace without a FILE: a file in the
// user's local application data (Windows: %LOCALAPPDATA%\VOKQM7; Linux:
// $XDG_STATE_HOME/vokqm7 or ~/.local/state/vokqm7), its folder made. GBK;
// "" when there is no such folder.
std::string DefaultTraceFile();

// The GBK path made absolute against the current folder.
std::string AbsolutePath(const std::string& gbk);

}  // namespace vok::tool
