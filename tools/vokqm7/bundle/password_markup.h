// The password elements of XML wherever a support bundle may carry it: a
// login text in a trace line, a document, a text pasted by hand, written
// as markup or escaped inside another text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vok::tool {

enum class TextEncoding { kUtf8, kGbk };

// What masking one value did.
struct Masking {
  std::size_t removed = 0;  // contents replaced by the mask
  bool certain = true;      // false: a password element's end cannot be told
};

// Where the character after the one that starts at `at` starts: GBK
// characters may end in a byte of ASCII punctuation ('[', ']', '{', '}').
[[nodiscard]] std::size_t NextCharacter(std::string_view text, std::size_t at,
                                        TextEncoding encoding);

// A local name (no prefix) that names a password: one that holds a
// password key (bundle/password_keys.h), "UserPassword", "LoginPwd", 密码.
[[nodiscard]] bool IsPasswordElementName(std::string_view local_name, TextEncoding encoding);

// Replaces the content of every password element in `text` with
// kMaskedSecret, whatever it holds (CDATA, comments, entities, child
// elements, line breaks) and however its tags are written (a prefix,
// attributes, blanks). Tags are sought as markup and as markup escaped once
// or twice (&lt;Password&gt;, &amp;lt;Password&amp;gt;), and everywhere,
// comments and CDATA included: a login text pasted there is still one.
// Where an element opens and its end cannot be found, `certain` is false
// and the rest of `text` is left as it was: the caller drops it whole.
Masking MaskPasswordElements(std::string& text, TextEncoding encoding);

}  // namespace vok::tool
