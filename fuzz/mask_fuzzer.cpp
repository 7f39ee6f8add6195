// Arbitrary bytes as a text of the support bundle, with a password planted
// in them in one of the notations people write: masking ends, leaves no
// byte of the planted password, and finds nothing in what it leaves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bundle/secrets.h"

namespace {

constexpr std::string_view kPlanted = "Fz9Planted";

// Each notation around the planted password.
constexpr std::string_view kNotations[][2] = {
    {"<Password>", "</Password>"},     {"pwd=", ";"},          {"{\"password\": \"", "\"}"},
    {"Password = ", "\n"},             {"--password ", " -v"}, {"ftp://sa:", "@db/x"},
    {"<LoginPwd a='1'>", "</LoginPwd>"}, {"<add key=\"DbPass\" value=\"", "\"/>"},
    {"-L{105\t2026\tadmin\t", "\t2026-11-30\tdemo\tx.rep}"}, {"&lt;Passwd&gt;", "&lt;/Passwd&gt;"},
};

void Check(const std::string& text, vok::tool::TextEncoding encoding) {
  std::string masked = text;
  vok::tool::MaskText(masked, encoding);
  if (masked.find(kPlanted) != std::string::npos) std::abort();
  if (vok::tool::HoldsPassword(masked, encoding)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view* notation = kNotations[data[0] % std::size(kNotations)];
  const std::string_view context(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t at = context.empty() ? 0 : data[1] % (context.size() + 1);
  // Planted where a character starts, as a text of either encoding has it.
  const std::string text = std::string(context.substr(0, at)) + std::string(notation[0]) +
                           std::string(kPlanted) + std::string(notation[1]) +
                           std::string(context.substr(at));
  Check(text, vok::tool::TextEncoding::kUtf8);
  Check(text, vok::tool::TextEncoding::kGbk);
  return 0;
}
