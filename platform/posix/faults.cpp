#include "platform/posix/faults.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <mutex>

namespace vok::platform {
namespace {

constexpr std::size_t kOperations = 6;

struct Fault {
  int countdown = 0;  // 0: not armed
  int error = 0;
  int calls = 0;
};

std::mutex guard;
Fault faults[kOperations];
// Lets the library's own calls skip the lock while no test counts or arms.
std::atomic<bool> active{false};

Fault& FaultOf(testing::Operation op) { return faults[static_cast<std::size_t>(op)]; }

}  // namespace

namespace testing {

void FailNth(Operation op, int n, int error) {
  const std::lock_guard<std::mutex> lock(guard);
  FaultOf(op) = Fault{n > 0 ? n : 0, error, 0};
  active.store(true, std::memory_order_relaxed);
}

void ClearFaults() {
  const std::lock_guard<std::mutex> lock(guard);
  for (Fault& fault : faults) fault = Fault{};
  active.store(false, std::memory_order_relaxed);
}

int CallCount(Operation op) {
  const std::lock_guard<std::mutex> lock(guard);
  return FaultOf(op).calls;
}

}  // namespace testing

namespace posix {

bool InjectedFailure(testing::Operation op) {
  if (!active.load(std::memory_order_relaxed)) return false;
  const std::lock_guard<std::mutex> lock(guard);
  Fault& fault = FaultOf(op);
  ++fault.calls;
  if (fault.countdown == 0 || --fault.countdown != 0) return false;
  errno = fault.error;
  return true;
}

}  // namespace posix
}  // namespace vok::platform
