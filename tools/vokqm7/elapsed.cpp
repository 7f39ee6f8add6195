#include "elapsed.h"

#include <cstdio>
#include <utility>

#include "host.h"

namespace vok::tool {

ElapsedTime::ElapsedTime(std::string what) : what_(std::move(what)) {
  if (IsTerminal(stderr)) thread_ = std::thread([this] { Run(); });
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

void ElapsedTime::Run() {
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  std::size_t width = 0;
  while (!stop_) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    const std::string line = what_ + ": " + std::to_string(seconds.count()) + " s";
    width = line.size();
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
    stop_signal_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; });
  }
  std::fprintf(stderr, "\r%s\r", std::string(width, ' ').c_str());
  std::fflush(stderr);
}

}  // namespace vok::tool
