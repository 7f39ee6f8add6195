#include "platform/codepage.h"

#include "platform/win32/text.h"

#include <climits>
#include <new>

namespace vok::platform {
namespace win32 {
namespace {

// The conversion functions count in int; a text that long is treated like
// memory that cannot be had.
int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
  return static_cast<int>(size);
}

// MultiByteToWideChar in its two calls, sizing and converting; nothing when
// either fails.
std::optional<std::wstring> Convert(UINT codePage, DWORD flags, std::string_view narrow) {
  const int inLength = static_cast<int>(narrow.size());
  const int outLength =
      ::MultiByteToWideChar(codePage, flags, narrow.data(), inLength, nullptr, 0);
  if (outLength <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(outLength), L'\0');
  const int written =
      ::MultiByteToWideChar(codePage, flags, narrow.data(), inLength, wide.data(), outLength);
  if (written <= 0) return std::nullopt;
  wide.resize(static_cast<std::size_t>(written));
  return wide;
}

}  // namespace

std::wstring NarrowToWide(UINT codePage, std::string_view narrow) {
  if (narrow.empty()) return {};
  CheckedLength(narrow.size());
  return Convert(codePage, 0, narrow).value_or(std::wstring());
}

std::optional<std::wstring> NarrowToWideStrictly(UINT codePage, std::string_view narrow) {
  if (narrow.empty()) return std::wstring();
  if (narrow.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  return Convert(codePage, MB_ERR_INVALID_CHARS, narrow);
}

std::string WideToNarrow(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int inLength = CheckedLength(wide.size());
  const int outLength =
      ::WideCharToMultiByte(codePage, 0, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) return {};
  std::string narrow(static_cast<std::size_t>(outLength), '\0');
  const int written = ::WideCharToMultiByte(codePage, 0, wide.data(), inLength, narrow.data(),
                                            outLength, nullptr, nullptr);
  narrow.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return narrow;
}

}  // namespace win32

// wchar_t is UTF-16 on Windows, so the two string types share their layout.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::u16string GbkToUtf16(std::string_view gbk) {
  const std::wstring wide = win32::NarrowToWide(CP_ACP, gbk);
  return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  return win32::WideToNarrow(
      CP_ACP, std::wstring_view(reinterpret_cast<const wchar_t*>(utf16.data()), utf16.size()));
}

std::string GbkToUtf8(std::string_view gbk) {
  return win32::WideToNarrow(CP_UTF8, win32::NarrowToWide(CP_ACP, gbk));
}

std::string Utf8ToGbk(std::string_view utf8) {
  return win32::WideToNarrow(CP_ACP, win32::NarrowToWide(CP_UTF8, utf8));
}

}  // namespace vok::platform
