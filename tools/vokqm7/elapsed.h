// A line on the terminal counting the seconds while the report tool runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace vok::tool {

// Shows "<what>: N s" on stderr, rewritten every second, while the object
// lives, and wipes it at the end. Does nothing when stderr is not a
// terminal, so that redirected output holds no progress noise.
class ElapsedTime {
 public:
  explicit ElapsedTime(std::string what);
  ~ElapsedTime();
  ElapsedTime(const ElapsedTime&) = delete;
  ElapsedTime& operator=(const ElapsedTime&) = delete;

 private:
  void Run();

  std::string what_;
  std::mutex mutex_;
  std::condition_variable stop_signal_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace vok::tool
