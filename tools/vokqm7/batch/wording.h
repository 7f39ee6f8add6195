// The punctuation between the parts of the sentences the batch puts
// together, as each language writes it: full-width in Chinese. The
// catalogue holds whole phrases, not a colon on its own.
#pragma once

#include <string>
#include <string_view>

#include "language/language.h"

namespace vok::tool {

// "head: detail"; Chinese "head：detail".
inline std::string Clause(std::string_view head, std::string_view detail) {
  const std::string_view colon = CurrentLanguage() == Language::kChinese ? "\xA3\xBA" : ": ";
  return std::string(head).append(colon).append(detail);
}

// "first; then"; Chinese "first；then".
inline std::string Then(std::string_view first, std::string_view then) {
  const std::string_view semicolon = CurrentLanguage() == Language::kChinese ? "\xA3\xBB" : "; ";
  return std::string(first).append(semicolon).append(then);
}

}  // namespace vok::tool
