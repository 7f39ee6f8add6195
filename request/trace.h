// The trace a support engineer switches on at an accountant's desk: which
// installation a call found, what it staged, the tool's command line and
// how the tool ended, what came out, which step failed. It is on when the
// environment variable VOKQM7_TRACE names a file or, without it, the string
// value TraceFile under HKEY_CURRENT_USER\Software\VOKQM7 does, or, without
// either, the machine-wide one under HKEY_LOCAL_MACHINE\Software\VOKQM7 (for
// clients that run as another account: a service, a scheduled task). The
// setting is read at the start of every call, so a filing client need not
// restart.
//
// A call's events go to the file as lines (request/trace_line.h) and, on
// Windows, to the debugger's output. The trace never changes a call's
// result: a file that cannot be opened or written is simply not traced to.
// Passwords and the figures of cell exports are never recorded.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace vok::trace {

inline constexpr char kVariable[] = "VOKQM7_TRACE";
inline constexpr char kRegistryKey[] = "Software\\VOKQM7";
inline constexpr char kRegistryValue[] = "TraceFile";
// The two above as a support engineer reads them.
inline constexpr char kRegistryName[] = "HKEY_CURRENT_USER\\Software\\VOKQM7\\TraceFile";
inline constexpr char kMachineRegistryName[] = "HKEY_LOCAL_MACHINE\\Software\\VOKQM7\\TraceFile";
// Past this the file becomes "<file>.1", one old generation kept.
inline constexpr std::uint64_t kCapBytes = std::uint64_t{10} << 20;

struct Setting {
  enum class Source { kEnvironment, kRegistry, kMachineRegistry };
  std::string file;  // GBK
  Source source;
};

// Where tracing goes now, or nothing when it is off.
std::optional<Setting> CurrentSetting();

// One field of an event: a text (GBK, as the library holds its texts) or a
// number. Texts are looked at only while a trace runs, so building fields
// for a call that is not traced costs next to nothing; a text must outlive
// the Record call it is given to.
class Field {
 public:
  Field(const char* name, std::string_view gbk) : name_(name), text_(gbk) {}
  Field(const char* name, const char* gbk) : name_(name), text_(gbk != nullptr ? gbk : "") {}
  template <typename Number, std::enable_if_t<std::is_integral_v<Number>, int> = 0>
  Field(const char* name, Number number)
      : name_(name), number_(static_cast<std::int64_t>(number)), is_number_(true) {}

  const char* name() const { return name_; }
  // The value as it goes into the line.
  std::string Utf8() const;

 private:
  const char* name_;
  std::string_view text_;
  std::int64_t number_ = 0;
  bool is_number_ = false;
};

// The trace of one export call on this thread, while it lives: opens the
// trace file when tracing is on and records the call's beginning. Events
// recorded on this thread meanwhile belong to it.
class CallTrace {
 public:
  explicit CallTrace(const char* export_name) noexcept;
  ~CallTrace();
  CallTrace(const CallTrace&) = delete;
  CallTrace& operator=(const CallTrace&) = delete;

  // Records the call's end: its result, the message it left (GBK; null on
  // success) and the step it failed in.
  void End(std::int32_t result, const char* message, const char* failed_step) noexcept;

  struct State;

 private:
  std::unique_ptr<State> state_;
  State* outer_ = nullptr;  // the trace this one stands in for on the thread
};

// True while a call on this thread is being traced: for events whose
// fields cost something to gather.
bool Active();

// Records `event` in the trace of this thread's call, if it is traced.
void Record(const char* event, std::initializer_list<Field> fields = {});
void Record(const char* event, const Field* fields, std::size_t count);

}  // namespace vok::trace
