// What a batch tells: the summary as a table, as CSV and as a page, the
// earlier run's summary read back for --resume, the time left, the progress
// lines and the exit status.
#include <gtest/gtest.h>

#include "batch/outcome.h"
#include "batch/progress.h"
#include "batch/resume.h"
#include "batch/summary.h"
#include "batch/summary_html.h"
#include "exit_codes.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;

RowOutcome Row(const char* account, RowResult result, ChecksOutcome checks,
               const std::string& failed = "", const std::string& message = "") {
  RowOutcome row;
  row.account = Gbk(account);
  row.year = "2026";
  row.period = "11";
  row.export_name = "GetReportDate";
  row.result = result;
  row.checks = checks;
  row.failed_check = failed;
  row.message = message;
  row.seconds = 1.25;
  if (result != RowResult::kBadRow) row.document = row.account + "-2026-11.xml";
  return row;
}

std::vector<RowOutcome> Sample() {
  RowOutcome bad = Row("", RowResult::kBadRow, ChecksOutcome::kNone, "",
                       "line 6, column 1 (account) is empty");
  bad.year = bad.period = "";
  return {Row("101", RowResult::kMade, ChecksOutcome::kPassed),
          Row("102", RowResult::kFailed, ChecksOutcome::kNone, "",
              Gbk("在生成损益数据时,调用接口程序失败!")),
          Row("华信", RowResult::kMade, ChecksOutcome::kFailed, "balance sheet: a, \"b\""),
          Row("104", RowResult::kKept, ChecksOutcome::kPassed), bad,
          Row("105", RowResult::kToDo, ChecksOutcome::kNone)};
}

TEST(BatchSummary, TableLinesUpByDisplayWidth) {
  const std::vector<std::string> expected = {
      "account  year  period  export         result   seconds  checks                 "
      "        message                              document",
      "101      2026  11      GetReportDate  made     1.2      passed                 "
      "                                             101-2026-11.xml",
      "102      2026  11      GetReportDate  FAILED   1.2                             "
      "        在生成损益数据时,调用接口程序失败!   102-2026-11.xml",
      "华信     2026  11      GetReportDate  made     1.2      FAILED:"
      " balance sheet: a, \"b\"                                       华信-2026-11.xml",
      "104      2026  11      GetReportDate  kept              passed                 "
      "                                             104-2026-11.xml",
      "                       GetReportDate  bad row                                  "
      "        line 6, column 1 (account) is empty",
      "105      2026  11      GetReportDate  to do                                    "
      "                                             105-2026-11.xml",
  };
  const std::vector<std::string> table = SummaryTable(Sample());
  ASSERT_EQ(table.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(table[i], Gbk(expected[i])) << i;
  EXPECT_EQ(SummaryTotals(Sample()),
            "6 rows: 2 made and passed their checks (1 kept from an earlier run), 1 failed a "
            "check, 1 export failed, 1 bad row, 1 to do");
}

TEST(BatchSummary, CsvIsUtf8WithMarkAndReadsBackForResume) {
  const std::string csv = SummaryCsv(Sample());
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(csv.substr(3, csv.find('\n') + 1 - 3),
            "account,year,period,export,result,seconds,checks,message,document\r\n");
  EXPECT_NE(csv.find("华信,2026,11,GetReportDate,made,1.2,\"FAILED: balance sheet: a, "
                     "\"\"b\"\"\",,华信-2026-11.xml\r\n"),
            std::string::npos);
  // Only what was made and passed counts, under the export that made it;
  // every row that names a document is read back, bad rows are not.
  const std::vector<EarlierDocument> earlier = ReadEarlierSummary(csv);
  ASSERT_EQ(earlier.size(), 5U);
  const struct {
    const char* document;
    const char* export_name;
    bool made;
  } cases[] = {{"101-2026-11.xml", "GetReportDate", true},
               {"104-2026-11.xml", "GetReportDate", true},
               {"101-2026-11.xml", "GetReportDateV2", false},
               {"101-2026-10.xml", "GetReportDate", false},
               {"102-2026-11.xml", "GetReportDate", false},
               {"华信-2026-11.xml", "GetReportDate", false},
               {"105-2026-11.xml", "GetReportDate", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(MadeBefore(earlier, Gbk(c.document), c.export_name), c.made)
        << c.document << " " << c.export_name;
  }
  // A row still to do keeps its earlier outcome, and is read back as it.
  std::vector<RowOutcome> again = Sample();
  for (RowOutcome& row : again) {
    if (const EarlierDocument* before = FindEarlier(earlier, row.document)) {
      row.result = RowResult::kToDo;
      row.earlier = before->record;
    }
  }
  const std::string rewritten = SummaryCsv(again);
  EXPECT_NE(rewritten.find("101,2026,11,GetReportDate,to do (made),1.2,passed,,101-2026-11.xml\r\n"),
            std::string::npos);
  EXPECT_NE(rewritten.find("105,2026,11,GetReportDate,to do,,,,105-2026-11.xml\r\n"),
            std::string::npos);
  const std::vector<EarlierDocument> reread = ReadEarlierSummary(rewritten);
  for (const auto& c : cases) {
    EXPECT_EQ(MadeBefore(reread, Gbk(c.document), c.export_name), c.made) << c.document;
  }
  // A summary from before the document column names the documents as
  // they were named then.
  EXPECT_TRUE(MadeBefore(ReadEarlierSummary("account,year,period,export,result,seconds,checks,"
                                            "message\r\n101,2026,3,GetReportDate,made,1.0,"
                                            "passed,\r\n"),
                         "101-2026-03.xml", "GetReportDate"));
  EXPECT_TRUE(ReadEarlierSummary("account,year\n101,2026\n").empty());
  EXPECT_TRUE(ReadEarlierSummary("not, a summary").empty());
}

TEST(BatchSummary, PageListsFailuresFirstAndLinksEachDocument) {
  std::vector<RowOutcome> rows = Sample();
  rows[0].page = "101-2026-11.html";
  rows[2].page = Gbk("华信-2026-11.html");
  const std::string page = SummaryHtml(rows, "batch");
  std::vector<std::size_t> at;
  for (const char* cell : {"line 6, column 1", "102</td>", "华信</td>", "105</td>", "101</td>",
                           "104</td>"}) {
    at.push_back(page.find(Gbk(cell)));
    ASSERT_NE(at.back(), std::string::npos) << cell;
  }
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
  EXPECT_NE(page.find("<a href=\"%E5%8D%8E%E4%BF%A1-2026-11.html\">"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"101-2026-11.html\">"), std::string::npos);
  EXPECT_NE(page.find("FAILED: balance sheet: a, &quot;b&quot;"), std::string::npos);
  // The summary names the first failed check; the page lists them all.
  rows[0].failed_checks = {Gbk("损益表: 营业利润 = 营业收入 - 营业成本; 本月数: difference 0.01"),
                           Gbk("损益表: 利润总额 = 营业利润 - 营业外支出")};
  const std::string listed = SummaryHtml(rows, "batch");
  EXPECT_NE(listed.find(Gbk("<li>损益表: 营业利润 = 营业收入 - 营业成本; 本月数: difference 0.01</li>"
                            "<li>损益表: 利润总额 = 营业利润 - 营业外支出</li>")),
            std::string::npos);
}

TEST(BatchProgress, TimeLeftFromTheAccountsDone) {
  const struct {
    double spent;
    std::size_t made, to_make;
    long long current;
    std::optional<long long> left;
  } cases[] = {{0, 0, 10, 3, std::nullopt}, {30, 3, 7, 0, 70}, {30, 3, 7, 4, 66},
               {30, 3, 1, 25, 0},           {2.5, 2, 3, 0, 4}};
  for (const auto& c : cases) {
    EXPECT_EQ(SecondsLeft(c.spent, c.made, c.to_make, c.current), c.left) << c.spent;
  }
  const struct {
    long long seconds;
    const char* text;
  } durations[] = {{0, "0:00"}, {7, "0:07"}, {754, "12:34"}, {3723, "1:02:03"}, {-5, "0:00"}};
  for (const auto& d : durations) EXPECT_EQ(FormatDuration(d.seconds), d.text);

  ProgressPoint point{3, 12, "105", "2026", "11", 42, 130, "", false};
  EXPECT_EQ(ProgressLine(point), "3 of 12 done, making 105 2026-11, 0:42 elapsed, about 2:10 left");
  point.holder = "process 7 (filing.exe, GetReportDate)";
  point.stopping = true;
  EXPECT_EQ(ProgressLine(point), "3 of 12 done, 105 2026-11 waits for the installation, in use "
                                 "by process 7 (filing.exe, GetReportDate) (stopping after it), "
                                 "0:42 elapsed");
  const std::vector<RowOutcome> rows = Sample();
  EXPECT_EQ(FinishedLine(1, 5, rows[0]), "[1/5] 101 2026-11: made, checks passed (1.2 s)");
  EXPECT_EQ(FinishedLine(2, 5, rows[1]),
            Gbk("[2/5] 102 2026-11: GetReportDate FAILED: 在生成损益数据时,调用接口程序失败! "
                "(1.2 s)"));
  EXPECT_EQ(FinishedLine(4, 5, rows[3]), "[4/5] 104 2026-11: kept from an earlier run, checks "
                                         "passed");
}

TEST(BatchExitStatus, WorstOutcomeOfTheRows) {
  const RowOutcome passed = Row("1", RowResult::kMade, ChecksOutcome::kPassed);
  const RowOutcome kept = Row("2", RowResult::kKept, ChecksOutcome::kPassed);
  const RowOutcome check = Row("3", RowResult::kMade, ChecksOutcome::kFailed, "x");
  const RowOutcome failed = Row("4", RowResult::kFailed, ChecksOutcome::kNone);
  const RowOutcome bad = Row("5", RowResult::kBadRow, ChecksOutcome::kNone);
  const RowOutcome unchecked = Row("6", RowResult::kMade, ChecksOutcome::kNotChecked, "y");
  const struct {
    std::vector<RowOutcome> rows;
    int status;
  } cases[] = {{{passed, kept}, kExitSuccess},
               {{passed, check, kept}, kExitCheckFailed},
               {{check, failed}, kExitExportFailed},
               {{passed, bad}, kExitExportFailed},
               // Not checked is no pass, and a failed check outweighs it.
               {{passed, unchecked}, kExitNotChecked},
               {{unchecked, check}, kExitCheckFailed},
               {{unchecked, failed}, kExitExportFailed}};
  for (const auto& c : cases) EXPECT_EQ(BatchExitStatus(c.rows), c.status);
}

}  // namespace
}  // namespace vok::tool
