// Whether a failed file operation met a file that another program keeps
// busy for the moment (platform/busy_retry.h).
#pragma once

#include <string>

namespace vok::platform::win32 {

// For the error GetLastError() holds now, about the file at `path`: a
// sharing or lock violation, or access denied to a file that is neither
// read-only nor a folder (a file being scanned, or deleted while another
// handle keeps it open). Leaves the last error as it was.
bool IsBusyFailure(const std::string& path);
bool IsBusyFailure(const std::wstring& path);

}  // namespace vok::platform::win32
