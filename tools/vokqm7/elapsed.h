// A line on the terminal counting the seconds while the report tool runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vok::tool {

// Shows "<what>: N s" on stderr, rewritten every second, while the object
// lives, and wipes it at the end. While another report call holds the
// installation `location` (when one is given), the line says that the call
// waits for the installation, and for whom. When stderr is not a terminal
// nothing is redrawn, so that redirected output holds no progress noise:
// only one plain line when such a wait begins. A caller with more to say
// (the batch's progress) gives the lines itself.
class ElapsedTime {
 public:
  // What the lines say, from the seconds the call has taken so far and the
  // other caller it waits for ("" while it does not wait).
  struct Lines {
    std::function<std::string(long long seconds, const std::string& holder)> redrawn;
    std::function<std::string(const std::string& holder)> waiting;  // the plain line
  };

  explicit ElapsedTime(std::string what, std::string location = "");
  ElapsedTime(Lines lines, std::string location);
  ~ElapsedTime();
  ElapsedTime(const ElapsedTime&) = delete;
  ElapsedTime& operator=(const ElapsedTime&) = delete;

 private:
  void Run();
  // The holder's description while another process holds the installation.
  std::string OtherHolder(bool brief) const;

  Lines lines_;
  std::string location_;
  bool terminal_;
  std::mutex mutex_;
  std::condition_variable stop_signal_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace vok::tool
