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

class TraceFile {
 public:
  struct State;

  // Opens `gbkPath` for appending, creating it. A file already past
  // `capBytes` is first moved to "<path>.1" (replacing an older one), so
  // that one old generation is kept. Nothing when the file cannot be opened
  // (a folder, no such folder, no right to write, held by another program);
  // this is never retried.
  [[nodiscard]] static std::optional<TraceFile> Open(const std::string& gbkPath,
                                                     std::uint64_t capBytes);

  TraceFile(TraceFile&&) noexcept;
  TraceFile& operator=(TraceFile&&) noexcept;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  ~TraceFile();

  // Appends `line` (its line feed included) with one write at the end of
  // the file, so that lines of several threads and processes never mix.
  // False when it was not written whole.
  bool Append(std::string_view line);

 private:
  explicit TraceFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Hands a UTF-8 line to a debugger watching this process (Windows:
// OutputDebugString, which a debug viewer shows live); nothing elsewhere.
void TraceToDebugger(std::string_view utf8Line);

}  // namespace vok::platform
