// Narrow <-> wide conversion through a Windows code page, shared by the
// code-page functions and the XML layer.
#pragma once

#include "platform/win32/win32.h"

#include <optional>
#include <string>
#include <string_view>

namespace vok::platform::win32 {

// MultiByteToWideChar(codePage, 0, ...). Throws std::bad_alloc only.
std::wstring NarrowToWide(UINT codePage, std::string_view narrow);

// The same with MB_ERR_INVALID_CHARS: nothing when the text holds a byte
// sequence that is no character of the code page, or is too long for the
// conversion. Throws std::bad_alloc only.
std::optional<std::wstring> NarrowToWideStrictly(UINT codePage, std::string_view narrow);

// WideCharToMultiByte(codePage, 0, ...), characters the code page lacks
// becoming its default character. Throws std::bad_alloc only.
std::string WideToNarrow(UINT codePage, std::wstring_view wide);

// The same for a code page other than UTF-8, and each character it lacks
// added to `lacking`, in order.
std::string WideToNarrow(UINT codePage, std::wstring_view wide, std::u32string& lacking);

}  // namespace vok::platform::win32
