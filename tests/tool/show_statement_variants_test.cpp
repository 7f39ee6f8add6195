// The checks on statements that statement-variants.py writes from each
// published format's own lines and arithmetic, in the shapes templates
// print them (zero lines hidden, cut after a total, every numbering, marks,
// bracket and colon widths, blanks in names, 股东/所有者, zeros as 0.00, blank
// or "-", thousands separators, 行次 gaps, GBK and UTF-8), with wrong
// statements among them. No correct one may fail; one of a whole format
// passes, judged by that format; a cent off in any total of one that passed
// fails naming that line; every wrong one fails; other kinds are not checked.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "checks/amount.h"
#include "checks/checks.h"
#include "checks/printed_list.h"
#include "platform/codepage.h"
#include "show.h"

namespace vok::tool {
namespace {

struct Variant {
  std::string kind;  // complete, hidden (lines left out), partial (cut), wrong, other
  std::string format, expected, shape, bytes;
  std::vector<std::string> totals;  // the 行次 of its totals
};

std::vector<Variant> ReadVariants(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<Variant> variants;
  std::string head;
  while (std::getline(in, head)) {
    std::vector<std::string> fields;
    std::istringstream split(head);
    for (std::string field; std::getline(split, field, '|');) fields.push_back(field);
    Variant& v = variants.emplace_back(
        Variant{fields.at(0), fields.at(1), platform::Utf8ToGbk(fields.at(2)),
                platform::Utf8ToGbk(fields.at(4)), std::string(std::stoul(fields.at(5)), '\0'), {}});
    std::istringstream totals(fields.at(3));
    for (std::string line; totals >> line;) v.totals.push_back(line);
    in.read(v.bytes.data(), static_cast<std::streamsize>(v.bytes.size()));
    in.ignore(1);
  }
  return variants;
}

std::string Listing(const std::vector<CheckResult>& checks) {
  std::string text;
  for (const CheckResult& check : checks) {
    text += OutcomeWord(check.outcome) + " " + check.title + "\n";
    for (const std::string& detail : check.details) text += "    " + detail + "\n";
  }
  return text;
}

// Why a statement was not checked: the first such result's title.
std::string NotCheckedWhy(const std::vector<CheckResult>& checks) {
  for (const CheckResult& check : checks) {
    if (check.outcome == CheckResult::Outcome::kNotChecked ||
        check.outcome == CheckResult::Outcome::kAllZero) {
      return check.title.substr(check.title.find(':') + 2);
    }
  }
  return "";
}

// The document with the total on line `line` a cent more in `column`, and
// where that item stands.
ItemPlace BreakTotal(FilingDocument& document, const std::string& line, std::size_t column) {
  std::vector<ItemList>& lists = document.statements.front().lists;
  for (std::size_t l = 0; l < lists.size(); ++l) {
    for (std::size_t i = 0; i < lists[l].items.size(); ++i) {
      StatementItem& item = lists[l].items[i];
      if (item.line != line) continue;
      std::optional<std::string>& amount = item.amounts.at(column % item.amounts.size());
      amount = CentsText(*Amount::Parse(amount.value_or(""))->Cents() + 1);
      return {0, l, i};
    }
  }
  ADD_FAILURE() << "no line " << line;
  return {};
}

TEST(StatementVariants, FailOnlyWhatIsWrongAndSayWhichFormatJudgedTheRest) {
  const std::vector<Variant> variants = ReadVariants(VOKQM7_STATEMENT_VARIANTS);
  ASSERT_GT(variants.size(), 2000U);
  std::mt19937 rng(45);
  std::map<std::string, int> counts;
  std::vector<std::string> faults;
  std::set<std::string> seen;  // one fault of each kind of variant of each format
  for (const Variant& v : variants) {
    std::string fault;
    std::optional<FilingDocument> document = ReadFilingDocument(v.bytes, fault);
    ASSERT_TRUE(document) << v.format << ": " << fault;
    const std::vector<CheckResult> checks = CheckFilingDocument(*document);
    const int status = ChecksExitStatus(checks);
    const std::string formats = JudgingFormats(checks);
    ++counts[v.kind + (status == 0   ? ": checked"
                       : status == 3 ? ": failed"
                                     : ": not checked: " + NotCheckedWhy(checks))];
    const bool complete = v.kind == "complete";
    const bool right = v.kind == "wrong"   ? status == 3
                       : v.kind == "other" ? status == 5
                                           : status != 3 && (!complete || (status == 0 &&
                                                                           formats == v.expected));
    std::string why = right ? "" : "exit " + std::to_string(status) + ", checked as " + formats;
    if (right && status == 0 && !v.totals.empty()) {
      const std::string& line = v.totals[rng() % v.totals.size()];
      const ItemPlace place = BreakTotal(*document, line, rng());
      const std::vector<CheckResult> broken = CheckFilingDocument(*document);
      const bool named = std::any_of(broken.begin(), broken.end(), [&](const CheckResult& c) {
        return c.outcome == CheckResult::Outcome::kFailed &&
               std::find(c.marked.begin(), c.marked.end(), place) != c.marked.end();
      });
      ++counts["one cent off in a total of a checked one"];
      if (!named) {
        why = "a cent off on line " + line + " is not named by a failed check\n" + Listing(broken);
      }
      if (!named) ++counts["  ... of which NOT named by a failed check"];
    }
    if (!why.empty() && seen.insert(v.kind + v.format).second && faults.size() < 12) {
      faults.push_back(v.kind + " " + v.format + " [" + v.shape + "]: " + why + "\n" +
                       Listing(checks));
    }
    if (!why.empty()) ++counts["WRONG: " + v.kind];
  }
  std::cout << variants.size() << " statement variants:\n";
  for (const auto& [what, count] : counts) {
    std::cout << "  " << platform::GbkToUtf8(what) << ": " << count << "\n";
  }
  for (const std::string& f : faults) ADD_FAILURE() << platform::GbkToUtf8(f);
}

}  // namespace
}  // namespace vok::tool
