// ASCII case folding, the one rule by which encoding names and the
// library's keywords ("ZCFZB", "SYB") are compared whatever their case.
#pragma once

#include <string_view>

namespace vok::platform {

// Byte-for-byte comparison that treats ASCII letters of either case alike;
// every other byte, GBK ones included, must be equal.
[[nodiscard]] bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix` by the same rule.
[[nodiscard]] bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

}  // namespace vok::platform
