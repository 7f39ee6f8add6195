// Passwords written as a value after a name that says so, whatever the
// notation: "pwd=x", ";Password=x;", "password: x", "Password = x",
// "\"password\": \"x\"", "password='x'", "--password x",
// key="DbPassword" value="x", and the two forms that name no key: a URL's
// "user:pw@host" and the interactive tool's -L{account<TAB>year<TAB>user<TAB>
// password<TAB>...}.
#pragma once

#include <string>
#include <string_view>

#include "bundle/password_markup.h"

namespace vok::tool {

// Whether a name holds a password key: "pass" (passwd, password), "pwd",
// 口令 or 密码, in any case and anywhere in it ("UserPassword", "LoginPwd",
// "db_pass", "数据库密码"). The Latin keys are sought in every byte, the
// Chinese ones by character.
[[nodiscard]] bool ContainsPasswordKey(std::string_view name, TextEncoding encoding);

// Masks the value after every name that holds a password key and a
// separator ("=", ":", or the blank after an option: a name with a '-'),
// blanks and quotes around them allowed. A quoted value ends at its closing
// quote; a bare one at the line's end, ';', '&' or '<', so that what
// follows in a connection string or a query stays. A name holding a key
// that stands quoted as a value itself (key="DbPassword") masks the next
// quoted value, or the element content after the tag's end. A quote that
// never closes makes it uncertain.
Masking MaskKeyedValues(std::string& text, TextEncoding encoding);

// Masks the password of "scheme://user:pw@host" and of a bare "user:pw@host".
Masking MaskUserInfo(std::string& text, TextEncoding encoding);

// Masks the password field of each -L{...} command line. The password may
// hold a tab or a '}' itself: it runs from the fourth field to the fourth
// field from the end, counted back from the last '}' of the line, and to
// that brace (or the line's end) where there are fewer fields.
Masking MaskLoginCommandLines(std::string& text, TextEncoding encoding);

}  // namespace vok::tool
