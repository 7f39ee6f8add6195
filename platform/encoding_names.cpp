#include "platform/encoding_names.h"

#include "platform/ascii_case.h"

namespace vok::platform {
namespace {

// Windows reads every one of these as code page 936, and files that say
// gb2312 routinely hold characters only GBK has, so all of them are read as
// GBK.
constexpr std::string_view kGbkNames[] = {"GBK",   "GB2312",   "CP936",      "MS936", "windows-936",
                                          "x-gbk", "csGB2312", "GB_2312-80", "EUC-CN"};

}  // namespace

bool IsGbkEncodingName(std::string_view name) {
  for (std::string_view known : kGbkNames) {
    if (EqualsIgnoringAsciiCase(name, known)) return true;
  }
  return false;
}

}  // namespace vok::platform
