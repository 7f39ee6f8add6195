// Strict code page conversions for names the operating system sees, where
// a replacement character would silently name a different file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vok::platform::posix {

// GBK to UTF-8; nothing (errno EILSEQ) when `gbk` is not valid GBK.
std::optional<std::string> GbkToUtf8Strict(std::string_view gbk);

// UTF-8 to GBK; nothing (errno EILSEQ) when a character has no GBK form.
std::optional<std::string> Utf8ToGbkStrict(std::string_view utf8);

}  // namespace vok::platform::posix
