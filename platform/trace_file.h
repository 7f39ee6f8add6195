// Where the library's trace goes: a file that lines are appended to whole,
// and on Windows the debugger's output as well. Failures here never matter
// to a call: every function reports them and the caller goes on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vok::platform {

// Why a trace file was not opened.
enum class TraceRefusal {
  kCannotOpen,  // no such folder, no right to write, held by another program
  kLink,        // a link (Linux: symbolic, or a second name of one file)
  kNotAFile,    // a folder, a pipe, a device
};

class TraceFile {
 public:
  struct State;

  // Opens `gbkPath` for appending, creating it for its user only (Linux:
  // mode 0600; Windows: the folder's default ACL). A file already past
  // `capBytes` is first moved to "<path>.1" (replacing an older one), so
  // that one old generation is kept; writers past the cap at once take
  // turns, and only the first of them moves the file. Nothing, and why in
  // `refusal` when given, when the file cannot be opened or is not a plain
  // file of its own: a trace in a shared folder must not be sent elsewhere
  // through a link, nor hang a call on a pipe. Never waits for anything but
  // the move's turn, and never retried.
  [[nodiscard]] static std::optional<TraceFile> Open(const std::string& gbkPath,
                                                     std::uint64_t capBytes,
                                                     TraceRefusal* refusal = nullptr);

  TraceFile(TraceFile&&) noexcept;
  TraceFile& operator=(TraceFile&&) noexcept;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  ~TraceFile();

  // Appends `line` (its line feed included) with one write at the end of
  // the file, so that lines of several threads and processes never mix.
  // False when it was not written whole. On Windows a line waits briefly
  // for its turn among the file's writers and is dropped past that; a line
  // that says how many were dropped before it passes that number as
  // `countedDrops`, which this call takes off the count once it is written.
  bool Append(std::string_view line, std::uint64_t countedDrops = 0);

  // Lines this process dropped for want of their turn and that no written
  // line has counted yet (always 0 on Linux, where no line waits).
  static std::uint64_t DroppedLines();

 private:
  explicit TraceFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Hands a UTF-8 line to a debugger watching this process (Windows:
// OutputDebugString, which a debug viewer shows live); nothing elsewhere.
void TraceToDebugger(std::string_view utf8Line);

}  // namespace vok::platform
