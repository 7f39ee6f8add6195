#include "batch/inputs.h"

#include <optional>

#include "bundle/sha256.h"
#include "driver/install_location.h"
#include "driver/paths.h"
#include "platform/files.h"

namespace vok::tool {
namespace {

// One digest of several, "" when one of them is "".
std::string DigestOfDigests(const std::vector<std::string>& digests) {
  std::string joined;
  for (const std::string& digest : digests) {
    if (digest.empty()) return "";
    joined += digest;
  }
  return Sha256Hex(joined);
}

}  // namespace

std::string FileSha256(const std::string& gbk_path) {
  const std::optional<std::string> bytes = platform::ReadWholeFile(gbk_path);
  return bytes ? Sha256Hex(*bytes) : "";
}

SharedInputs ReadSharedInputs(bool combined, bool financial,
                              const std::vector<std::string>& rule_files) {
  SharedInputs shared;
  std::vector<std::string> rules;
  for (const std::string& file : rule_files) rules.push_back(FileSha256(file));
  if (!rules.empty()) shared.inputs.rules_sha256 = DigestOfDigests(rules);
  if (combined) {
    // The library joins the pieces to the InstallLocation just so.
    const std::string location = FindInstallLocation();
    shared.templates = {
        location + (financial ? paths::kFinancialIncomeTemplate : paths::kNationalIncomeTemplate),
        location +
            (financial ? paths::kFinancialBalanceTemplate : paths::kNationalBalanceTemplate)};
    shared.inputs.template_path = shared.templates[0] + " + " + shared.templates[1];
  }
  return shared;
}

RowInputs RowInputsOf(const SharedInputs& shared, const std::string& server,
                      const std::string& template_file) {
  RowInputs inputs = shared.inputs;
  inputs.server = server;
  if (!template_file.empty()) {
    inputs.template_path = template_file;
    inputs.template_sha256 = FileSha256(template_file);
    return inputs;
  }
  if (!shared.templates.empty()) {
    std::vector<std::string> digests;
    for (const std::string& file : shared.templates) digests.push_back(FileSha256(file));
    inputs.template_sha256 = DigestOfDigests(digests);
  }
  return inputs;
}

}  // namespace vok::tool
