#include "platform/faults.h"

#include <atomic>
#include <cstddef>
#include <mutex>

namespace vok::platform {
namespace {

constexpr std::size_t kOperations = static_cast<std::size_t>(faults::Operation::kCount);

// Calls first..last (counted from 1 after arming) fail; first 0: not armed.
struct Fault {
  int first = 0;
  int last = 0;
  int error = 0;
  int calls = 0;
};

std::mutex guard;
Fault armed[kOperations];
// Lets the library's own calls skip the lock while no test counts or arms.
std::atomic<bool> active{false};

Fault& FaultOf(faults::Operation op) { return armed[static_cast<std::size_t>(op)]; }

}  // namespace

namespace faults {

void FailNth(Operation op, int n, int error) {
  const std::lock_guard<std::mutex> lock(guard);
  FaultOf(op) = Fault{n > 0 ? n : 0, n, error, 0};
  active.store(true, std::memory_order_relaxed);
}

void FailNext(Operation op, int count, int error) {
  const std::lock_guard<std::mutex> lock(guard);
  FaultOf(op) = Fault{count > 0 ? 1 : 0, count, error, 0};
  active.store(true, std::memory_order_relaxed);
}

void ClearFaults() {
  const std::lock_guard<std::mutex> lock(guard);
  for (Fault& fault : armed) fault = Fault{};
  active.store(false, std::memory_order_relaxed);
}

int CallCount(Operation op) {
  const std::lock_guard<std::mutex> lock(guard);
  return FaultOf(op).calls;
}

}  // namespace faults

int InjectedError(faults::Operation op) {
  if (!active.load(std::memory_order_relaxed)) return 0;
  const std::lock_guard<std::mutex> lock(guard);
  Fault& fault = FaultOf(op);
  ++fault.calls;
  if (fault.first == 0 || fault.calls < fault.first || fault.calls > fault.last) return 0;
  return fault.error;
}

}  // namespace vok::platform
