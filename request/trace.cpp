#include "request/trace.h"

#include <atomic>
#include <chrono>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/registry.h"
#include "platform/trace_file.h"
#include "request/text_rules.h"
#include "request/trace_line.h"

namespace vok::trace {

struct CallTrace::State {
  platform::TraceFile file;
  std::string pid;
  std::string tid;
  std::string call;
  std::chrono::steady_clock::time_point start;
};

namespace {

// A command line may be long; a line of the trace stays readable.
constexpr std::size_t kFieldLimit = 32 << 10;

// A path's longest, with room to spare.
constexpr std::size_t kMachineValueBytes = 32768;

thread_local CallTrace::State* current = nullptr;
std::atomic<std::uint64_t> calls{0};

void Write(CallTrace::State& state, const char* event, const Field* fields, std::size_t count) {
  Line line;
  line.time = FormatLocalTime(platform::Now());
  line.fields.reserve(4 + count);
  line.fields.push_back({"pid", state.pid});
  line.fields.push_back({"tid", state.tid});
  line.fields.push_back({"call", state.call});
  line.fields.push_back({"event", event});
  for (std::size_t i = 0; i < count; ++i) line.fields.push_back({fields[i].name(), fields[i].Utf8()});
  // Lines dropped before this one for want of their turn are counted here.
  const std::uint64_t dropped = platform::TraceFile::DroppedLines();
  if (dropped > 0) line.fields.push_back({"dropped_lines", std::to_string(dropped)});
  const std::string text = FormatLine(line);
  state.file.Append(text, dropped);
  platform::TraceToDebugger(text);
}

void Write(CallTrace::State& state, const char* event, std::initializer_list<Field> fields) {
  Write(state, event, fields.begin(), fields.size());
}

}  // namespace

std::optional<Setting> CurrentSetting() {
  if (std::optional<std::string> file = platform::EnvironmentValue(kVariable)) {
    return Setting{std::move(*file), Setting::Source::kEnvironment};
  }
  if (std::optional<std::string> file = platform::ReadUserValue(kRegistryKey, kRegistryValue)) {
    return Setting{std::move(*file), Setting::Source::kRegistry};
  }
  std::optional<std::string> file =
      platform::ReadMachineValue(kRegistryKey, kRegistryValue, kMachineValueBytes);
  if (file && !file->empty()) return Setting{std::move(*file), Setting::Source::kMachineRegistry};
  return std::nullopt;
}

std::string Field::Utf8() const {
  if (is_number_) return std::to_string(number_);
  std::string text = platform::GbkToUtf8(text_.substr(0, kFieldLimit));
  if (text_.size() > kFieldLimit) {
    text += "... (" + std::to_string(text_.size()) + " bytes)";
  }
  return text;
}

CallTrace::CallTrace(const char* export_name) noexcept {
  try {
    const std::optional<Setting> setting = CurrentSetting();
    if (!setting) return;
    std::optional<platform::TraceFile> file = platform::TraceFile::Open(setting->file, kCapBytes);
    if (!file) return;
    state_ = std::make_unique<State>(State{std::move(*file), std::to_string(platform::ProcessId()),
                                           std::to_string(platform::ThreadId()),
                                           std::to_string(++calls),
                                           std::chrono::steady_clock::now()});
    outer_ = current;
    current = state_.get();
    // Whose call it is: a trace that several accounts write (the machine's
    // switch) holds every account's calls, and a support bundle tells its
    // user's own from the others.
    const std::string user = platform::CurrentUser();
    Write(*state_, "call.begin", {{"export", export_name}, {"user", user}});
  } catch (...) {
    // No trace for this call, then; the call itself goes on.
  }
}

CallTrace::~CallTrace() {
  if (state_ && current == state_.get()) current = outer_;
}

void CallTrace::End(std::int32_t result, const char* message,
                    const char* failed_step) noexcept {
  if (!state_) return;
  try {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - state_->start)
                        .count();
    if (result == 0) {
      Write(*state_, "call.end", {{"result", result}, {"ms", ms}});
    } else {
      Write(*state_, "call.end",
            {{"result", result}, {"message", message}, {"step", failed_step}, {"ms", ms}});
    }
  } catch (...) {
  }
}

bool Active() { return current != nullptr; }

void Record(const char* event, std::initializer_list<Field> fields) {
  Record(event, fields.begin(), fields.size());
}

void Record(const char* event, const Field* fields, std::size_t count) {
  if (current == nullptr) return;
  try {
    Write(*current, event, fields, count);
  } catch (...) {
  }
}

}  // namespace vok::trace
