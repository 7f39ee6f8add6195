// Narrow <-> wide conversion through a Windows code page, shared by the
// code-page functions and the XML layer.
#pragma once

#include "platform/win32/win32.h"

#include <optional>
#include <string>
#include <string_view>

namespace vok::platform::win32 {

// What a document that declares GBK (under any of its names) or GB18030 is
// decoded as, whatever the ANSI code page is (platform/codepage.h).
inline constexpr UINT kGbkCodePage = 936;
inline constexpr UINT kGb18030CodePage = 54936;

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

// A narrow path as the wide file functions take it: through code page 936,
// as every narrow text of the library (platform/codepage.h), in the
// extended form where it is longer than the plain form allows. The layer
// calls the wide functions only, so that every piece of a path it takes
// apart or makes is a piece of characters.
std::wstring WidePath(std::string_view path);

// A wide text the system gave back (a path, an environment value) as a
// narrow one in code page 936; nothing when a character of it has no
// form there, not even a best-fit one (a "?" would name another file).
std::optional<std::string> NarrowWithoutLoss(std::wstring_view wide);

}  // namespace vok::platform::win32
