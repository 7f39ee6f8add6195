#include "bundle/bundle_report.h"

#include "language/language.h"
#include "platform/codepage.h"

namespace vok::tool {
namespace {

std::string Count(std::size_t count) { return std::to_string(count); }

// Calls of this user, of other accounts, and of accounts the trace does not say.
std::vector<std::string> DescribeCalls(const BundleReport& report) {
  std::size_t own = 0;
  std::size_t others = 0;
  std::size_t other_accounts = 0;
  std::size_t unsaid = 0;
  for (const auto& [user, calls] : report.facts.calls_by_user) {
    if (user.empty()) {
      unsaid += calls;
    } else if (user == report.this_user) {
      own += calls;
    } else {
      others += calls;
      ++other_accounts;
    }
  }
  std::vector<std::string> lines = {TrF("  calls of this account: %s", Count(own))};
  if (others > 0) {
    lines.push_back(
        TrF("  calls of %s other account(s): %s (the trace is one that several "
            "accounts write, as the machine-wide switch's is)",
            Count(other_accounts), Count(others)));
  }
  if (unsaid > 0) {
    lines.push_back(
        TrF("  calls whose account the trace does not say (an older library "
            "wrote them): %s",
            Count(unsaid)));
  }
  return lines;
}

}  // namespace

std::string DescribeRefusal(ReadRefusal refusal) {
  switch (refusal) {
    case ReadRefusal::kMissing:
      return Tr("there is no such file");
    case ReadRefusal::kLink:
      return Tr("it is a link, which the bundle does not follow");
    case ReadRefusal::kSecondName:
      return Tr("it is a second name of a file (a hard link), which the bundle does not follow");
    case ReadRefusal::kNotAFile:
      return Tr("it is no regular file (a folder, a pipe or a device)");
    case ReadRefusal::kCannotRead:
      return Tr("it cannot be read");
    case ReadRefusal::kNone:
      break;
  }
  return {};
}

std::vector<std::string> DescribeBundle(const BundleReport& report, std::size_t most) {
  std::vector<std::string> lines = {Tr("Files:")};
  for (const BundleEntry& entry : report.entries) {
    lines.push_back(
        TrF("  %s  (%s bytes)", platform::Utf8ToGbk(entry.name), Count(entry.bytes.size())));
  }
  lines.push_back(Tr("Kinds of data it holds:"));
  const TraceFacts& facts = report.facts;
  lines.push_back(TrF("  account codes: %s", Count(facts.accounts.size())));
  lines.push_back(TrF("  login user IDs: %s", Count(facts.login_users.size())));
  lines.push_back(TrF("  accounting servers: %s", Count(facts.servers.size())));
  lines.push_back(TrF("  paths in the trace (the installation, templates, documents): %s",
                      Count(facts.paths.size())));
  for (std::string& line : DescribeCalls(report)) lines.push_back(std::move(line));
  lines.push_back(report.document.empty() ? Tr("  filing documents: none")
                                          : TrF("  filing documents: %s, with its figures",
                                                platform::Utf8ToGbk(report.document)));
  lines.push_back(report.anonymized
                      ? Tr("  anonymized: account codes, user IDs, servers and the parts of "
                           "paths are hashes, salted for this bundle alone")
                      : Tr("  not anonymized (--anonymize replaces account codes, user IDs, "
                           "servers and the parts of paths with hashes)"));
  lines.push_back(
      TrF("Masked: %s value(s) that hold or may hold a password", Count(report.values_masked)));
  lines.push_back(TrF("Trace lines: %s carried, %s left out", Count(report.lines_carried),
                      Count(report.lines_left_out)));
  lines.push_back(Tr("Left out:"));
  for (std::size_t i = 0; i < report.left_out.size(); ++i) {
    if (most > 0 && i == most) {
      lines.push_back(
          TrF("  ... and %s more, which CONTENTS.txt lists", Count(report.left_out.size() - most)));
      break;
    }
    lines.push_back("  - " + report.left_out[i]());
  }
  return lines;
}

}  // namespace vok::tool
