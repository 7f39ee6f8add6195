// Conversion between the narrow texts of the library (the ANSI code page,
// GBK) and UTF-16 / UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vok::platform {

// GBK to UTF-16. Bytes that do not form a GBK character become U+FFFD
// (Windows: whatever MultiByteToWideChar makes of them).
std::u16string GbkToUtf16(std::string_view gbk);

// UTF-16 to GBK. Characters GBK lacks become the code page's default
// character, "?".
std::string Utf16ToGbk(std::u16string_view utf16);

// Convenience pair for tools and tests that speak UTF-8.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace vok::platform
