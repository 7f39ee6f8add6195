#include "elapsed.h"

#include <cstdio>
#include <utility>

#include "host.h"
#include "installation_use.h"
#include "language/language.h"
#include "platform/program.h"
#include "show/width.h"

namespace vok::tool {

namespace {

std::string Waiting(const std::string& holder) {
  return TrF("waiting for the installation, in use by %s", holder);
}

}  // namespace

ElapsedTime::ElapsedTime(std::string what, std::string location)
    : ElapsedTime(Lines{[what](long long seconds, const std::string& holder) {
                          return TrF("%s: %s s", holder.empty() ? what : Waiting(holder),
                                     std::to_string(seconds));
                        },
                        Waiting},
                  std::move(location)) {}

ElapsedTime::ElapsedTime(Lines lines, std::string location)
    : lines_(std::move(lines)), location_(std::move(location)), terminal_(IsTerminal(stderr)) {
  if (terminal_ || !location_.empty()) thread_ = std::thread([this] { Run(); });
}

ElapsedTime::~ElapsedTime() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stop_signal_.notify_one();
  thread_.join();
}

std::string ElapsedTime::OtherHolder(bool brief) const {
  if (location_.empty()) return {};
  const InstallationUse use = InspectInstallation(location_);
  // A holder without a record may be this very call: only a record that
  // names another process tells a wait.
  if (use.state != InstallationUse::State::kInUse || !use.holder ||
      use.holder->process_id == platform::ProcessId()) {
    return {};
  }
  return DescribeHolder(use, brief);
}

void ElapsedTime::Run() {
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  int width = 0;  // columns of the longest line so far, which the next one covers
  bool told = false;
  while (!stop_) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    // The first second is left to the call: most take the installation at once.
    const std::string holder = seconds.count() > 0 ? OtherHolder(terminal_) : std::string();
    if (terminal_) {
      const std::string line = PadRight(lines_.redrawn(seconds.count(), holder), width);
      width = DisplayWidth(line);
      WriteText(stderr, "\r" + line);
      std::fflush(stderr);
    } else if (!holder.empty() && !told) {
      WriteText(stderr, lines_.waiting(holder) + "\n");
      std::fflush(stderr);
      told = true;
    }
    stop_signal_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; });
  }
  if (terminal_) {
    WriteText(stderr, "\r" + std::string(static_cast<std::size_t>(width), ' ') + "\r");
    std::fflush(stderr);
  }
}

}  // namespace vok::tool
