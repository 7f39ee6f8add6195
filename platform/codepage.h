// Conversion between the narrow texts of the library (the ANSI code page,
// GBK) and UTF-16 / UTF-8.
//
// One rule for code pages, on both hosts:
// - Every narrow text of the library and its tools is GBK, code page 936,
//   whatever the host's ANSI code page is: the texts between the DOM and
//   the filing document, the paths, the package's own names. The functions
//   below that take or give "GBK" text convert through 936.
// - A document or export that declares GBK (under any of its names,
//   platform/encoding_names.h), GB2312 among them, is decoded as code page
//   936, and one that declares GB18030 as 54936; what is decoded then
//   becomes GBK text, and a character GBK lacks is a fault, not a "?".
// - The caller's own texts (login text, paths) arrive in the host's ANSI
//   code page (AnsiCodePage). They are the same bytes in GBK only where
//   that is 936 or they are plain ASCII; anything else is refused by the
//   call rather than written into a GBK document (request/caller_text.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vok::platform {

// GBK to UTF-16. Bytes that do not form a GBK character become U+FFFD
// (Windows: whatever MultiByteToWideChar makes of them).
std::u16string GbkToUtf16(std::string_view gbk);

// UTF-16 to GBK. Characters GBK lacks become the code page's default
// character, "?".
std::string Utf16ToGbk(std::u16string_view utf16);

// Convenience pair for tools and tests that speak UTF-8.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// Utf8ToGbk, and each character GBK lacks (that became "?") added to
// `lacking`, in order; a byte sequence that is no UTF-8 counts as U+FFFD.
// The platform's XML layer uses it for the texts of cell exports.
std::string Utf8ToGbk(std::string_view utf8, std::u32string& lacking);

// The encodings a document may come in, for a conversion that must not
// guess or replace anything.
enum class Charset { kGbk, kGb18030, kUtf8 };

// The first character of a text that does not become GBK.
struct GbkConversionFault {
  std::size_t offset = 0;   // where its bytes start
  char32_t character = 0;   // the character, which GBK lacks; 0 when the bytes
                            // there are no character of the charset at all
};

// The host's ANSI code page, which the caller's narrow texts are in:
// Windows' GetACP (a host may have its own through its manifest); 936 on
// POSIX.
[[nodiscard]] std::uint32_t AnsiCodePage();

// Whether the system chooses that code page (Windows), rather than the
// layer itself (POSIX, where the narrow texts are GBK by construction and
// there is nothing to check).
[[nodiscard]] bool SystemChoosesAnsiCodePage();

// Whether this system converts `charset` at all (Wine 8, for one, has no
// GB18030).
[[nodiscard]] bool CanDecode(Charset charset);

// `bytes` in `charset` (kGbk: code page 936, whatever the ANSI code page is)
// as narrow text, every character kept (GBK bytes come back as they are,
// once checked, where the ANSI code page is 936). Nothing when a byte
// sequence is no character of the charset or a character has no form in
// the narrow code page; `fault` then tells the first.
// Throws std::runtime_error when !CanDecode(charset).
std::optional<std::string> ToGbkWithoutLoss(Charset charset, std::string_view bytes,
                                            GbkConversionFault& fault);

}  // namespace vok::platform
