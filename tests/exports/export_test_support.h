// What the export tests share: the installation (SharedInstallation) and
// the caller's message buffer.
#pragma once

#include <cstring>
#include <string>

#include "support/test_support.h"

namespace vok::test {

// A message buffer pre-filled with a pattern, to see exactly what a call wrote.
struct Buffer {
  Buffer() { std::memset(bytes, 'Z', sizeof bytes - 1); bytes[sizeof bytes - 1] = '\0'; }
  // The message and its zero byte were written, and nothing after them.
  bool Holds(const std::string& message) const {
    return std::memcmp(bytes, message.c_str(), message.size() + 1) == 0 &&
           bytes[message.size() + 1] == 'Z';
  }
  bool Untouched() const { return Buffer().Same(*this); }
  bool Same(const Buffer& other) const { return std::memcmp(bytes, other.bytes, sizeof bytes) == 0; }
  char bytes[128];
};

}  // namespace vok::test
