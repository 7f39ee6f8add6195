#include "platform/codepage.h"

#include "platform/faults.h"
#include "platform/win32/text.h"

#include <climits>
#include <new>
#include <stdexcept>

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

std::string WideToNarrow(UINT codePage, std::wstring_view wide, std::u32string& lacking) {
  if (wide.empty()) return {};
  const int inLength = CheckedLength(wide.size());
  BOOL usedDefault = FALSE;
  const int outLength = ::WideCharToMultiByte(codePage, 0, wide.data(), inLength, nullptr, 0,
                                              nullptr, &usedDefault);
  if (outLength <= 0) return {};
  std::string narrow(static_cast<std::size_t>(outLength), '\0');
  const int written = ::WideCharToMultiByte(codePage, 0, wide.data(), inLength, narrow.data(),
                                            outLength, nullptr, nullptr);
  narrow.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  // Rare: only then is each character asked on its own.
  for (std::size_t i = 0; usedDefault && i < wide.size();) {
    const bool pair = i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) &&
                      IS_LOW_SURROGATE(wide[i + 1]);
    const int units = pair ? 2 : 1;
    char bytes[8];
    BOOL missing = FALSE;
    ::WideCharToMultiByte(codePage, 0, wide.data() + i, units, bytes, sizeof bytes, nullptr,
                          &missing);
    if (missing) {
      lacking.push_back(pair ? 0x10000 + ((static_cast<char32_t>(wide[i]) - 0xD800) << 10) +
                                   (static_cast<char32_t>(wide[i + 1]) - 0xDC00)
                             : static_cast<char32_t>(wide[i]));
    }
    i += static_cast<std::size_t>(units);
  }
  return narrow;
}

}  // namespace win32

namespace {

// A document's declared encoding, whatever the ANSI code page is.
UINT CodePageOf(Charset charset) {
  switch (charset) {
    case Charset::kGbk:
      return win32::kGbkCodePage;
    case Charset::kGb18030:
      return win32::kGb18030CodePage;
    case Charset::kUtf8:
      return CP_UTF8;
  }
  return CP_UTF8;
}

// UTF-16 in code page 936, or nothing when a character has no form
// there (no best-fit stand-in either).
std::optional<std::string> WideToGbkStrictly(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int inLength = static_cast<int>(wide.size());
  BOOL defaulted = FALSE;
  const int outLength = ::WideCharToMultiByte(win32::kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), inLength,
                                              nullptr, 0, nullptr, &defaulted);
  if (outLength <= 0 || defaulted) return std::nullopt;
  std::string narrow(static_cast<std::size_t>(outLength), '\0');
  const int written = ::WideCharToMultiByte(win32::kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), inLength,
                                            narrow.data(), outLength, nullptr, &defaulted);
  if (written <= 0 || defaulted) return std::nullopt;
  narrow.resize(static_cast<std::size_t>(written));
  return narrow;
}

char32_t CodePoint(std::wstring_view character) {
  if (character.size() == 2 && character[0] >= 0xD800 && character[0] <= 0xDBFF) {
    return 0x10000 + ((static_cast<char32_t>(character[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(character[1]) - 0xDC00);
  }
  return character.empty() ? 0 : static_cast<char32_t>(character[0]);
}

}  // namespace

bool CanDecode(Charset charset) {
  const UINT codePage = CodePageOf(charset);
  return codePage == CP_UTF8 || ::IsValidCodePage(codePage);
}

std::optional<std::string> ToGbkWithoutLoss(Charset charset, std::string_view bytes,
                                            GbkConversionFault& fault) {
  const UINT codePage = CodePageOf(charset);
  if (!CanDecode(charset)) {
    throw std::runtime_error("this system has no code page " + std::to_string(codePage));
  }
  if (bytes.empty()) return std::string();
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
  if (const std::optional<std::wstring> wide = win32::NarrowToWideStrictly(codePage, bytes)) {
    if (charset == Charset::kGbk) return std::string(bytes);
    if (std::optional<std::string> gbk = WideToGbkStrictly(*wide)) return gbk;
  }
  // The conversions say only that they failed, not where: the first
  // character that fails is found one character at a time, a character
  // being the fewest bytes (at most four) that decode.
  for (std::size_t at = 0; at < bytes.size();) {
    std::optional<std::wstring> character;
    std::size_t length = 0;
    while (!character && length < 4 && at + length < bytes.size()) {
      ++length;
      character = win32::NarrowToWideStrictly(codePage, bytes.substr(at, length));
    }
    if (!character) {
      fault = GbkConversionFault{at, 0};
      return std::nullopt;
    }
    if (!WideToGbkStrictly(*character)) {
      fault = GbkConversionFault{at, CodePoint(*character)};
      return std::nullopt;
    }
    at += length;
  }
  throw std::runtime_error("the text fails to convert, yet each of its characters converts");
}

std::optional<std::string> win32::NarrowWithoutLoss(std::wstring_view path) {
  return WideToGbkStrictly(path);
}

// wchar_t is UTF-16 on Windows, so the two string types share their layout.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::u16string GbkToUtf16(std::string_view gbk) {
  const std::wstring wide = win32::NarrowToWide(win32::kGbkCodePage, gbk);
  return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  return win32::WideToNarrow(
      win32::kGbkCodePage, std::wstring_view(reinterpret_cast<const wchar_t*>(utf16.data()), utf16.size()));
}

std::string GbkToUtf8(std::string_view gbk) {
  return win32::WideToNarrow(CP_UTF8, win32::NarrowToWide(win32::kGbkCodePage, gbk));
}

std::string Utf8ToGbk(std::string_view utf8) {
  return win32::WideToNarrow(win32::kGbkCodePage, win32::NarrowToWide(CP_UTF8, utf8));
}

std::string Utf8ToGbk(std::string_view utf8, std::u32string& lacking) {
  return win32::WideToNarrow(win32::kGbkCodePage, win32::NarrowToWide(CP_UTF8, utf8), lacking);
}

std::uint32_t AnsiCodePage() {
  if (const int forced = InjectedError(faults::Operation::kAnsiCodePage)) {
    return static_cast<std::uint32_t>(forced);
  }
  return ::GetACP();
}
bool SystemChoosesAnsiCodePage() { return true; }

}  // namespace vok::platform
