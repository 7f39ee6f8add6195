// The encoding names under which documents declare GBK (code page 936):
// one list for every reader of such documents, the cell-export readers of
// both hosts and the tool's reader of filing documents.
#pragma once

#include <string_view>

namespace vok::platform {

// Whether `name`, in any ASCII letter case, names code page 936: GBK and
// GB2312 as report tools write them, and the aliases Windows, IANA and web
// browsers give the two. GB18030 is not one of them: its four-byte
// sequences are no GBK.
[[nodiscard]] bool IsGbkEncodingName(std::string_view name);

}  // namespace vok::platform
