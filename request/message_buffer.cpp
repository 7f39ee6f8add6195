#include "request/message_buffer.h"

#include <cstring>

namespace vok {

void MessageBuffer::Set(const char* message) noexcept {
  if (message != nullptr) last_ = message;
  if (buffer_ == nullptr || message == nullptr) return;
  std::memcpy(buffer_, message, std::strlen(message) + 1);
}

}  // namespace vok
