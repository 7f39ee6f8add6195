// A moment by which a wait must end, for the loops that wait and try
// again: one place for the time arithmetic they share.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/program.h"

namespace vok::platform {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  // `limitMs` from now.
  explicit Deadline(std::uint32_t limitMs)
      : start_(Clock::now()), end_(start_ + std::chrono::milliseconds(limitMs)) {}

  // What is left, rounded up so that it is 0 only once the moment has
  // passed: a wait never ends a fraction of a millisecond early.
  [[nodiscard]] std::uint32_t LeftMs() const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now());
    return left.count() > 0 ? static_cast<std::uint32_t>(left.count()) : 0;
  }

  [[nodiscard]] bool Passed() const { return LeftMs() == 0; }

  // How long since it was set.
  [[nodiscard]] std::uint64_t SpentMs() const {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
  }

  // `ms`, or what is left when that is less.
  [[nodiscard]] std::uint32_t AtMost(std::uint32_t ms) const {
    const std::uint32_t left = LeftMs();
    return left < ms ? left : ms;
  }

  // Pauses for AtMost(`ms`); false when nothing was left to pause for.
  bool Pause(std::uint32_t ms) const {
    const std::uint32_t pause = AtMost(ms);
    if (pause == 0) return false;
    SleepMilliseconds(pause);
    return true;
  }

 private:
  Clock::time_point start_;
  Clock::time_point end_;
};

}  // namespace vok::platform
