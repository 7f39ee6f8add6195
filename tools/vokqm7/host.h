// What differs between the hosts for a console program: the encoding of its
// arguments and of the terminal. Inside the tool every text is GBK, as in
// the library.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

// A command-line argument as GBK (Linux: from UTF-8; Windows: from the
// ANSI code page, the same bytes where that is 936).
std::string ArgumentToGbk(std::string_view argument);

// True when the stream is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream);

// What text written to a file or a pipe is encoded as: UTF-8 (without a
// byte-order mark) unless `--encoding gbk` asks for GBK. A Windows console
// always gets the text through the wide console functions.
enum class OutputEncoding { kUtf8, kGbk };
void SetOutputEncoding(OutputEncoding encoding);
OutputEncoding CurrentOutputEncoding();

// Writes GBK text to the stream in the encoding a reader of it expects:
// on a Windows console the console's own, else CurrentOutputEncoding().
void WriteText(std::FILE* stream, std::string_view gbk);

// Where `vokqm7 trace on` puts the trace without a FILE: a file in the
// user's local application data (Windows: %LOCALAPPDATA%\VOKQM7; Linux:
// $XDG_STATE_HOME/vokqm7 or ~/.local/state/vokqm7), its folder made. GBK;
// "" when there is no such folder.
std::string DefaultTraceFile();

// Whether every account of this machine may append to the existing file
// named by the absolute GBK path, and may make a file in its folder that
// every account may append to in turn (the trace's next generation, once
// the file is moved past its cap). Windows: Everyone, Authenticated Users
// or Users allowed by the ACLs and not denied; Linux: others may write the
// file and the folder. False where it cannot be told.
bool EveryAccountMayAppend(const std::string& gbk_path);

// The GBK path made absolute against the current folder.
std::string AbsolutePath(const std::string& gbk);

// Creates the folder named by the GBK path and the missing folders above it.
// True when it is a folder afterwards.
bool MakeFolders(const std::string& gbk);

// The bytes this user may still write on the volume of the existing folder
// named by the GBK path; nothing when the system cannot tell.
std::optional<std::uint64_t> FreeBytes(const std::string& gbk_folder);

// The names of the files in the folder (GBK; "." and ".." left out, and a
// name that has no GBK form); nothing when it cannot be read.
std::optional<std::vector<std::string>> FilesInFolder(const std::string& gbk);

// Whether the file `name` is what platform::ReplaceFileAtomically writes
// while it replaces the file `target` of the same folder, and leaves when
// it is killed: "summary.csv.tmp.Ab12Cd" on Linux, "vok1A2B.tmp" (for any
// target) on Windows.
bool IsReplacementTemporary(const std::string& name, const std::string& target);

// Moves the file `from` to `to` in one step (both in one folder or at
// least on one volume), replacing a file at `to`; retries for a moment
// while either is busy. False, with `reason` in the system's words, when it
// cannot.
bool MoveFileReplacing(const std::string& from, const std::string& to, std::string& reason);

// The system's words for why the last file operation of this thread failed
// (errno; on Windows GetLastError() with its number), to be taken at once.
std::string LastFileError();

// When the file was last written, local time, as "20261209-163502"; "" when
// it cannot be told.
std::string WrittenTimeText(const std::string& gbk_path);

// Ctrl-C as a request to stop where stopping loses nothing. While the object
// lives, Ctrl-C ends neither this process nor the report tool it runs, but
// makes Asked() true: on Linux SIGINT sent to the process and Ctrl-C typed on
// its terminal (the terminal's interrupt character is read as a key then);
// on Windows the console's Ctrl-C event and Ctrl-C typed on its console
// (read as a key, so the console sends no event to the tool). Ctrl-\ on
// Linux and Ctrl-Break on Windows still end the process at once.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

  bool Asked() const;

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;
};

}  // namespace vok::tool
