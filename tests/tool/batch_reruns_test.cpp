// Reruns into a folder an earlier batch filled: the rows it keeps, which
// documents --resume keeps by their inputs, servers the report tool's
// command line cannot carry, and what a killed run left there.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "batch/accounts_file.h"
#include "batch/folder_state.h"
#include "batch/resume.h"
#include "batch/runner.h"
#include "batch/summary.h"
#include "platform/codepage.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

const RowInputs kInputs = {"s1", "t.rep", "ab12", ""};

RowOutcome Made(const std::string& account, RowResult result, ChecksOutcome checks) {
  RowOutcome row;
  row.account = account;
  row.year = "2026";
  row.period = "11";
  row.export_name = "GetReportDate";
  row.result = result;
  row.checks = checks;
  row.seconds = 2;
  row.document = account + "-2026-11.xml";
  row.inputs = kInputs;
  if (result == RowResult::kMade || result == RowResult::kKept) {
    row.facts = {"d1", "202611", "syb+zcfzb", ""};
  }
  return row;
}

AccountRow Account(const std::string& account, std::size_t line) {
  AccountRow row;
  row.line = line;
  row.account = account;
  row.year = "2026";
  row.period = "11";
  row.server = kInputs.server;
  row.stem = account + "-2026-11";
  return row;
}

// The lines of summary.csv after its header, without CR LF.
std::vector<std::string> CsvRows(const std::vector<RowOutcome>& rows) {
  const std::string csv = SummaryCsv(rows);
  std::vector<std::string> lines;
  for (std::size_t at = csv.find("\r\n") + 2; at < csv.size();) {
    const std::size_t end = csv.find("\r\n", at);
    lines.push_back(csv.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST(BatchRecord, RowsNotInThisRunStayAsTheyWere) {
  RowOutcome failed = Made("102", RowResult::kFailed, ChecksOutcome::kNone);
  failed.message = "no server";
  RowOutcome bad;
  bad.result = RowResult::kBadRow;
  bad.message = "line 5, column 1 (account) is empty";
  BatchSettings settings;
  settings.shared.inputs = {"", "t.rep", "ab12", ""};
  settings.earlier = ReadEarlierSummary(SummaryCsv(
      {Made("101", RowResult::kMade, ChecksOutcome::kPassed), failed, bad,
       Made("103", RowResult::kKept, ChecksOutcome::kPassed)}));
  // A rerun of 102 alone, then of 104 alone: each keeps the others, bad
  // rows belonging to the accounts file that had them.
  const struct {
    std::vector<AccountRow> rows;
    std::vector<std::string> csv;
    std::string totals;
  } runs[] = {
      {{Account("102", 2)},
       {"102,2026,11,GetReportDate,to do (FAILED),2.0,,no server,102-2026-11.xml,s1,t.rep,ab12,"
        ",,,,",
        "101,2026,11,GetReportDate,not in this run (made),2.0,passed,,101-2026-11.xml,s1,t.rep,"
        "ab12,,d1,202611,syb+zcfzb,",
        "103,2026,11,GetReportDate,not in this run (kept),,passed,,103-2026-11.xml,s1,t.rep,ab12,"
        ",d1,202611,syb+zcfzb,"},
       "1 row: 0 made and passed their checks, 1 to do; 2 more rows of the folder not in this "
       "run"},
      {{Account("104", 2)},
       {"104,2026,11,GetReportDate,to do,,,,104-2026-11.xml,,,,,,,,",
        "101,2026,11,GetReportDate,not in this run (made),2.0,passed,,101-2026-11.xml,s1,t.rep,"
        "ab12,,d1,202611,syb+zcfzb,",
        "102,2026,11,GetReportDate,not in this run (FAILED),2.0,,no server,102-2026-11.xml,s1,"
        "t.rep,ab12,,,,,",
        "103,2026,11,GetReportDate,not in this run (kept),,passed,,103-2026-11.xml,s1,t.rep,ab12,"
        ",d1,202611,syb+zcfzb,"},
       "1 row: 0 made and passed their checks, 1 to do; 3 more rows of the folder not in this "
       "run"},
  };
  for (const auto& run : runs) {
    const std::vector<RowOutcome> planned = PlannedOutcomes(run.rows, settings);
    EXPECT_EQ(CsvRows(planned), run.csv) << run.rows[0].account;
    EXPECT_EQ(SummaryTotals(planned), run.totals);
    // What was kept reads back as it was, however often it is kept.
    const std::vector<EarlierDocument> reread = ReadEarlierSummary(SummaryCsv(planned));
    ASSERT_NE(FindEarlier(reread, "101-2026-11.xml"), nullptr);
    EXPECT_TRUE(FindEarlier(reread, "101-2026-11.xml")->made_and_passed);
    EXPECT_EQ(FindEarlier(reread, "103-2026-11.xml")->record.result, "kept");
    BatchSettings next;
    next.earlier = reread;
    // A run over none of them keeps them all, this run's row as the rest.
    std::vector<std::string> kept = run.csv;
    kept[0].replace(kept[0].find(",to do"), 6, ",not in this run");
    EXPECT_EQ(CsvRows(PlannedOutcomes({}, next)), kept);
  }
  // Nothing of another run counts for this one's exit status.
  RowOutcome other = Made("105", RowResult::kNotInRun, ChecksOutcome::kNone);
  other.earlier.result = "FAILED";
  EXPECT_EQ(BatchExitStatus({Made("101", RowResult::kMade, ChecksOutcome::kPassed), other}), 0);
}

TEST(BatchResume, KeepsOnlyWhatTheSameInputsMade) {
  const std::vector<EarlierDocument> earlier = ReadEarlierSummary(
      SummaryCsv({Made("101", RowResult::kMade, ChecksOutcome::kPassed),
                  Made("102", RowResult::kMade, ChecksOutcome::kFailed)}));
  const struct {
    const char* what;
    void (*change)(RowOutcome&);
    bool kept;
    bool other_inputs;  // the earlier document goes before it is made again
  } cases[] = {
      {"the same", [](RowOutcome&) {}, true, false},
      {"server", [](RowOutcome& r) { r.inputs.server = "s2"; }, false, true},
      {"template path", [](RowOutcome& r) { r.inputs.template_path = "u.rep"; }, false, true},
      {"template content", [](RowOutcome& r) { r.inputs.template_sha256 = "cd34"; }, false, true},
      {"rules", [](RowOutcome& r) { r.inputs.rules_sha256 = "ef56"; }, false, true},
      {"export", [](RowOutcome& r) { r.export_name = "GetReportDateV2"; }, false, true},
      // The same document's name, but another account for the report tool.
      {"account", [](RowOutcome& r) { r.account = "0101"; }, false, true},
      {"failed its checks", [](RowOutcome& r) { r.document = "102-2026-11.xml"; r.account = "102"; },
       false, false},
      {"never made", [](RowOutcome& r) { r.document = "109-2026-11.xml"; r.account = "109"; },
       false, false},
  };
  for (const auto& c : cases) {
    RowOutcome row = Made("101", RowResult::kToDo, ChecksOutcome::kNone);
    c.change(row);
    EXPECT_EQ(MadeBefore(earlier, row), c.kept) << c.what;
    EXPECT_EQ(MadeFromOtherInputs(earlier, row), c.other_inputs) << c.what;
  }
  // A summary that names no inputs (an older tool's, or a row it had not
  // made) keeps nothing and sets nothing aside: nothing is known either way.
  const std::string older = "account,year,period,export,result,seconds,checks,message,document\r\n"
                            "101,2026,11,GetReportDate,made,1.0,passed,,101-2026-11.xml\r\n";
  const RowOutcome row = Made("101", RowResult::kToDo, ChecksOutcome::kNone);
  EXPECT_FALSE(MadeBefore(ReadEarlierSummary(older), row));
  EXPECT_FALSE(MadeFromOtherInputs(ReadEarlierSummary(older), row));
}

TEST(BatchFolder, WhatAKilledRunLeftGoesAndNothingElse) {
  const test::TempFolder folder;
  const struct {
    const char* name;
    bool removed;
  } files[] = {
      {"summary.csv.tmp.Ab12Cd", true},  {"summary.html.tmp.x9Y8z7", true},
      {"101-2026-11.xml.part", true},    {"101-2026-11.xml", false},
      {"summary.csv", false},            {"summary.csv.tmp.Ab12C", false},
      {"other.csv.tmp.Ab12Cd", false},   {"notes.xml.part.txt", false},
      {"\xC8\xAB.xml.part", true},  // a GBK name
  };
  for (const auto& f : files) std::ofstream(folder / platform::GbkToUtf8(f.name)) << "x";
  std::vector<std::string> removed = RemoveLeftTemporaries(folder.path());
  std::sort(removed.begin(), removed.end());
  std::vector<std::string> expected;
  for (const auto& f : files) {
    if (f.removed) expected.push_back(f.name);
    EXPECT_EQ(std::ifstream(folder / platform::GbkToUtf8(f.name)).good(), !f.removed) << f.name;
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(removed, expected);
}

}  // namespace
}  // namespace vok::tool
