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

RowInputs SharedInputs(bool combined, bool financial, const std::vector<std::string>& rule_files) {
  RowInputs inputs;
  std::vector<std::string> rules;
  for (const std::string& file : rule_files) rules.push_back(FileSha256(file));
  if (!rules.empty()) inputs.rules_sha256 = DigestOfDigests(rules);
  if (combined) {
    // The library joins the pieces to the InstallLocation just so.
    const std::string location = FindInstallLocation();
    const std::string income =
        location + (financial ? paths::kFinancialIncomeTemplate : paths::kNationalIncomeTemplate);
    const std::string balance = location + (financial ? paths::kFinancialBalanceTemplate
                                                      : paths::kNationalBalanceTemplate);
    inputs.template_path = income + " + " + balance;
    inputs.template_sha256 = DigestOfDigests({FileSha256(income), FileSha256(balance)});
  }
  return inputs;
}

RowInputs RowInputsOf(const RowInputs& shared, const std::string& server,
                      const std::string& template_file) {
  RowInputs inputs = shared;
  inputs.server = server;
  if (!template_file.empty()) {
    inputs.template_path = template_file;
    inputs.template_sha256 = FileSha256(template_file);
  }
  return inputs;
}

}  // namespace vok::tool
