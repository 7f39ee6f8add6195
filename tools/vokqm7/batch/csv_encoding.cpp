#include "batch/csv_encoding.h"

#include <algorithm>
#include <cstdio>

#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The length of the UTF-8 sequence at `at`, or 0 when none starts there:
// no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

bool IsUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = Utf8SequenceAt(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Hex(std::string_view bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%s0x%02X", text.empty() ? "" : " ", c);
    text += hex;
  }
  return text;
}

}  // namespace

const char* EncodingName(CsvEncoding encoding) {
  switch (encoding) {
    case CsvEncoding::kUtf8: return "UTF-8";
    case CsvEncoding::kUtf8WithMark: return N_("UTF-8 with a byte-order mark");
    case CsvEncoding::kGbk: break;
  }
  return "GBK";
}

CsvEncoding DetectCsvEncoding(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return CsvEncoding::kUtf8WithMark;
  return IsUtf8(bytes) ? CsvEncoding::kUtf8 : CsvEncoding::kGbk;
}

bool ReadsTwoWays(std::string_view bytes) {
  if (DetectCsvEncoding(bytes) != CsvEncoding::kUtf8) return false;
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  platform::GbkConversionFault fault;
  return !ascii && platform::ToGbkWithoutLoss(platform::Charset::kGbk, bytes, fault).has_value();
}

std::string_view CsvText(std::string_view bytes, CsvEncoding encoding) {
  return encoding == CsvEncoding::kUtf8WithMark ? bytes.substr(kUtf8Mark.size()) : bytes;
}

std::optional<std::string> CsvFieldToGbk(CsvEncoding encoding, std::string_view field,
                                         std::string& fault) {
  const platform::Charset charset =
      encoding == CsvEncoding::kGbk ? platform::Charset::kGbk : platform::Charset::kUtf8;
  platform::GbkConversionFault where;
  std::optional<std::string> gbk = platform::ToGbkWithoutLoss(charset, field, where);
  if (gbk) return gbk;
  if (where.character != 0) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(where.character));
    fault = TrF("the character %s has no GBK form (the library's texts are GBK)", code);
  } else {
    const std::string bytes = Hex(field.substr(where.offset, 4));
    fault = encoding == CsvEncoding::kGbk ? TrF("the bytes %s are no GBK (nor UTF-8) text", bytes)
                                          : TrF("the bytes %s are no UTF-8 text", bytes);
  }
  return std::nullopt;
}

}  // namespace vok::tool
