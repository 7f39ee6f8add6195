// Arbitrary bytes as the login text, read with every export's field list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "interface/login_parse.h"
#include "platform/xml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The exports hand over a zero-terminated text: bytes after an inner zero
  // are never seen, exactly as for a caller.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const vok::platform::XmlSession session;
  for (const vok::LoginFieldList& fields :
       {vok::kBatchLoginFields, vok::kByTypeLoginFields, vok::kInteractiveLoginFields}) {
    try {
      static_cast<void>(vok::ParseLoginRequest(text.c_str(), fields));
    } catch (const vok::platform::XmlError&) {
      // Failures of the DOM itself are allowed to escape the parse; the
      // export frame turns them into the parse message.
    }
  }
  return 0;
}
