// How the commands talk to the user and to files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vok::tool {

// One line of GBK text on stdout / stderr, in the reader's encoding.
void Say(std::string_view gbk);
void Complain(std::string_view gbk);

// While it lives, what Say and Complain would print goes into `into`
// instead (GBK, a line feed after each line), for a report that keeps it.
class CapturedOutput {
 public:
  explicit CapturedOutput(std::string& into);
  ~CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

 private:
  std::string* previous_;
};

// A whole file named by a GBK path; nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& gbk_path);

// The same, and when it cannot be read `cannot_read` told (an N_() text whose
// "%s" is the path) with `status` set to kExitCannotRun.
std::optional<std::string> ReadFileOrComplain(const std::string& gbk_path,
                                              const char* cannot_read, int& status);

// A file that others append lines to (a trace): `bytes` as just read from
// it, or, while they end in the middle of a line, what `read` gives of it
// after short pauses, for about `budget_ms`, so that a line being written
// comes whole. What was read last, whole or not.
using FileReader = std::optional<std::string> (*)(const std::string& gbk_path);
inline constexpr std::uint32_t kLineWaitMs = 500;
std::string WithLastLineWritten(std::string bytes, const std::string& gbk_path,
                                std::uint32_t budget_ms = kLineWaitMs,
                                FileReader read = ReadFileBytes);

// A GBK document as UTF-8, its XML declaration (if any) naming UTF-8.
std::string DocumentToUtf8(std::string_view gbk);

// Writes `gbk` to the file, converted by DocumentToUtf8 when `utf8`.
bool WriteDocument(const std::string& gbk_path, std::string_view gbk, bool utf8);

// Rewrites a GBK file written by the library as UTF-8.
bool ConvertFileToUtf8(const std::string& gbk_path);

}  // namespace vok::tool
