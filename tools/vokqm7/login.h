// The login text the exports read, from options or from a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vok::tool {

// Login fields given as options, GBK; an empty optional leaves the element out.
struct LoginFields {
  std::optional<std::string> account, year, period, server, user, password, login_date,
      file_rep, report_type;
};

// `text` with the five XML special characters escaped. Works on GBK bytes:
// every GBK trail byte is 0x40 or above, so none is taken for one of them.
std::string EscapeXml(std::string_view text);

// Why the report tool's command line, whose fields are apart by blanks
// inside braces and quotes, cannot carry `gbk` (an account, a year, a
// period): "\"a b\" holds a blank: the report tool's command line cannot
// carry it"; "" when it can. Double-byte GBK characters are stepped over
// whole, as their trail bytes may be braces.
std::string CommandLineFault(std::string_view gbk);

// CommandLineFault for a server, which the command line carries between
// double quotes: one ending in a backslash is refused too, as Windows'
// argument rules take a backslash before a quote for an escaped quote.
std::string ServerFault(std::string_view gbk);

// <Info><LoginInfo>...</LoginInfo></Info> with the given fields in the
// order the library documents them.
std::string BuildLoginXml(const LoginFields& fields);

// The names of the options among `required` (e.g. "--account") that are
// not set.
std::vector<std::string> MissingFields(const LoginFields& fields,
                                       const std::vector<std::string>& required);

}  // namespace vok::tool
