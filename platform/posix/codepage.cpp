// GBK <-> UTF-16 / UTF-8 through iconv. Each thread keeps its own
// converters (iconv_t carries state and must not be shared between threads):
// opening one costs far more than converting a cell's text, and a cell export
// converts one text per field. Pure ASCII texts skip iconv entirely.
#include "platform/codepage.h"

#include "platform/faults.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/posix/posix_codepage.h"
#include "platform/scoped_handle.h"

namespace vok::platform {
namespace {

constexpr const char* kGbk = "GBK";
constexpr const char* kGb18030 = "GB18030";
constexpr const char* kUtf8 = "UTF-8";
// char16_t and char32_t units in host byte order.
constexpr const char* kUtf16 =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-16LE" : "UTF-16BE";
constexpr const char* kUtf32 =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-32LE" : "UTF-32BE";

struct IconvTraits {
  using Handle = iconv_t;
  static Handle Invalid() noexcept { return reinterpret_cast<iconv_t>(-1); }
  static bool IsValid(Handle cd) noexcept { return cd != Invalid(); }
  static bool Close(Handle cd) noexcept { return iconv_close(cd) == 0; }
  static void Release(Handle cd) noexcept {
    const int saved = errno;
    iconv_close(cd);
    errno = saved;
  }
};

class IconvOwner : public ScopedHandle<IconvTraits> {
 public:
  IconvOwner(const char* to, const char* from) : ScopedHandle(iconv_open(to, from)) {}
};

// This thread's converter from `from` to `to`, in its initial state. The
// names are the constants above, so the pointers tell the directions apart.
const IconvOwner& ThreadConverter(const char* to, const char* from) {
  struct Entry {
    const char* to;
    const char* from;
    std::unique_ptr<IconvOwner> converter;
  };
  thread_local std::vector<Entry> converters;
  for (Entry& entry : converters) {
    if (entry.to == to && entry.from == from) {
      // A conversion that failed half-way may have left a shift state.
      if (entry.converter->valid()) {
        iconv(entry.converter->get(), nullptr, nullptr, nullptr, nullptr);
      }
      return *entry.converter;
    }
  }
  // One that cannot be opened is kept too: it would not open the next time.
  converters.push_back(Entry{to, from, std::make_unique<IconvOwner>(to, from)});
  return *converters.back().converter;
}

// How to go on after input the converter rejects: skip `skip` bytes and
// emit `replacement` (already in the target encoding). skip == 0 fails.
struct Substitution {
  std::size_t skip;
  std::string_view replacement;
};

template <typename OnBadInput>
bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             OnBadInput onBadInput) {
  out.clear();
  const IconvOwner& cd = ThreadConverter(to, from);
  if (!cd.valid()) return false;
  out.reserve(in.size() * 2);
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char buffer[8192];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    const int err = errno;
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (rc != static_cast<std::size_t>(-1) || err == E2BIG) continue;
    if (err != EILSEQ && err != EINVAL) {
      errno = err;
      return false;
    }
    const Substitution s = onBadInput(std::string_view(inPtr, inLeft));
    if (s.skip == 0) {
      errno = EILSEQ;
      return false;
    }
    out.append(s.replacement);
    const std::size_t skip = s.skip < inLeft ? s.skip : inLeft;
    inPtr += skip;
    inLeft -= skip;
  }
  return true;
}

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// One bad GBK character: a lead byte with a byte of the trail range after
// it counts as one (unassigned) character, anything else as a single byte.
std::size_t BadGbkLength(std::string_view rest) {
  if (rest.size() < 2) return 1;
  const auto lead = static_cast<unsigned char>(rest[0]);
  const auto trail = static_cast<unsigned char>(rest[1]);
  const bool isLead = lead >= 0x81 && lead <= 0xFE;
  const bool isTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE);
  return isLead && isTrail ? 2 : 1;
}

// A well-formed UTF-8 character GBK lacks is skipped whole; a malformed
// byte alone.
std::size_t BadUtf8Length(std::string_view rest) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length > rest.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// The character of one well-formed UTF-8 sequence.
char32_t DecodeUtf8(std::string_view sequence) {
  const auto lead = static_cast<unsigned char>(sequence[0]);
  if (sequence.size() == 1) return lead;
  char32_t character = lead & (0x7F >> sequence.size());
  for (std::size_t i = 1; i < sequence.size(); ++i) {
    character = (character << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
  }
  return character;
}

// A surrogate pair GBK lacks is one character; a lone surrogate is one.
std::size_t BadUtf16Length(std::string_view rest) {
  if (rest.size() < 4) return 2;
  char16_t first;
  char16_t second;
  std::memcpy(&first, rest.data(), 2);
  std::memcpy(&second, rest.data() + 2, 2);
  const bool pair = first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF;
  return pair ? 4 : 2;
}

const char* IconvName(Charset charset) {
  switch (charset) {
    case Charset::kGbk:
      return kGbk;
    case Charset::kGb18030:
      return kGb18030;
    case Charset::kUtf8:
      return kUtf8;
  }
  return kGbk;
}

// Converts without substituting anything; nothing, with `failedAt` the
// offset of the input the converter refused, when it refuses some, and
// `failedAt` left alone when the conversion cannot be made at all.
std::optional<std::string> ConvertStrictly(const char* to, const char* from, std::string_view in,
                                           std::size_t& failedAt) {
  std::string out;
  if (Convert(to, from, in, out, [&](std::string_view rest) {
        failedAt = in.size() - rest.size();
        return Substitution{0, {}};
      })) {
    return out;
  }
  return std::nullopt;
}

// The character that the bytes at the start of `rest` encode in `from`, or 0
// when they encode none.
char32_t FirstCharacter(const char* from, std::string_view rest) {
  for (std::size_t length = 1; length <= 4 && length <= rest.size(); ++length) {
    std::size_t failedAt = 0;
    const std::optional<std::string> utf32 =
        ConvertStrictly(kUtf32, from, rest.substr(0, length), failedAt);
    if (utf32 && utf32->size() == sizeof(char32_t)) {
      char32_t character;
      std::memcpy(&character, utf32->data(), sizeof character);
      return character;
    }
  }
  return 0;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  std::string bytes;
  static constexpr char kReplacement[] = {'\xFD', '\xFF'};
  static constexpr char kReplacementBe[] = {'\xFF', '\xFD'};
  const std::string_view replacement(
      __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? kReplacement : kReplacementBe, 2);
  if (!Convert(kUtf16, kGbk, gbk, bytes, [&](std::string_view rest) {
        return Substitution{BadGbkLength(rest), replacement};
      })) {
    return {};
  }
  std::u16string out(bytes.size() / 2, u'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  const std::string_view bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
  std::string out;
  if (!Convert(kGbk, kUtf16, bytes, out, [](std::string_view rest) {
        return Substitution{BadUtf16Length(rest), "?"};
      })) {
    return {};
  }
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  std::string out;
  if (!Convert(kUtf8, kGbk, gbk, out, [](std::string_view rest) {
        return Substitution{BadGbkLength(rest), "\xEF\xBF\xBD"};
      })) {
    return {};
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  if (!Convert(kGbk, kUtf8, utf8, out, [](std::string_view rest) {
        return Substitution{BadUtf8Length(rest), "?"};
      })) {
    return {};
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8, std::u32string& lacking) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  if (!Convert(kGbk, kUtf8, utf8, out, [&](std::string_view rest) {
        const std::size_t length = BadUtf8Length(rest);
        lacking.push_back(length == 1 && static_cast<unsigned char>(rest[0]) >= 0x80
                              ? U'\uFFFD'
                              : DecodeUtf8(rest.substr(0, length)));
        return Substitution{length, "?"};
      })) {
    return {};
  }
  return out;
}

std::uint32_t AnsiCodePage() {
  const int forced = InjectedError(faults::Operation::kAnsiCodePage);
  return forced != 0 ? static_cast<std::uint32_t>(forced) : 936;
}
bool SystemChoosesAnsiCodePage() { return false; }

bool CanDecode(Charset charset) { return ThreadConverter(kGbk, IconvName(charset)).valid(); }

std::optional<std::string> ToGbkWithoutLoss(Charset charset, std::string_view bytes,
                                            GbkConversionFault& fault) {
  const char* from = IconvName(charset);
  if (!CanDecode(charset)) throw std::runtime_error(std::string("cannot convert ") + from);
  if (IsAscii(bytes)) return std::string(bytes);
  constexpr std::size_t kNotRefused = static_cast<std::size_t>(-1);
  std::size_t failedAt = kNotRefused;
  if (charset == Charset::kGbk) {
    // Checked by decoding it; its bytes are the result.
    if (ConvertStrictly(kUtf16, kGbk, bytes, failedAt)) return std::string(bytes);
  } else if (std::optional<std::string> gbk = ConvertStrictly(kGbk, from, bytes, failedAt)) {
    return gbk;
  }
  if (failedAt == kNotRefused) throw std::runtime_error(std::string("cannot convert ") + from);
  fault.offset = failedAt;
  fault.character = FirstCharacter(from, bytes.substr(failedAt));
  return std::nullopt;
}

namespace posix {

std::optional<std::string> GbkToUtf8Strict(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  std::string out;
  if (!Convert(kUtf8, kGbk, gbk, out, [](std::string_view) { return Substitution{0, {}}; })) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> Utf8ToGbkStrict(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  if (!Convert(kGbk, kUtf8, utf8, out, [](std::string_view) { return Substitution{0, {}}; })) {
    return std::nullopt;
  }
  return out;
}

}  // namespace posix
}  // namespace vok::platform
