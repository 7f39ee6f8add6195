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
#include "language/language.h"
#include "show/width.h"
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
  row.inputs = {"s1", "a|b", "ab12", ""};
  if (result == RowResult::kMade || result == RowResult::kKept) {
    row.facts = {"d1", "202611", "syb+zcfzb", ""};
  }
  return row;
}

// A row of 2026-11 as the batch plans it for the document "<account>-2026-11.xml"
// (or another period's), made with `export_name` from Row()'s inputs.
RowOutcome Planned(const std::string& document, const char* export_name) {
  RowOutcome row = Row("", RowResult::kToDo, ChecksOutcome::kNone);
  const std::string gbk = Gbk(document.c_str());
  const std::size_t dash = gbk.find('-');
  row.account = gbk.substr(0, dash);
  row.year = gbk.substr(dash + 1, 4);
  row.period = gbk.substr(dash + 6, 2);
  row.document = gbk;
  row.export_name = export_name;
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
            "account,year,period,export,result,seconds,checks,message,document,server,template,"
            "template sha256,rules sha256,document sha256,document period,statements,"
            "enterprise\r\n");
  EXPECT_NE(csv.find("华信,2026,11,GetReportDate,made,1.2,\"FAILED: balance sheet: a, "
                     "\"\"b\"\"\",,华信-2026-11.xml,s1,a|b,ab12,,d1,202611,syb+zcfzb,\r\n"),
            std::string::npos);
  // The formats that judged a document are for people: the table names
  // them, the record keeps its words.
  std::vector<RowOutcome> judged = Sample();
  judged[0].formats = Gbk("财会〔2019〕6号 附件1 利润表");
  EXPECT_EQ(SummaryCsv(judged), csv);
  EXPECT_NE(SummaryTable(judged)[1].find(Gbk("passed, checked as 财会〔2019〕6号 附件1 利润表")),
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
    EXPECT_EQ(MadeBefore(earlier, Planned(c.document, c.export_name)), c.made)
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
  EXPECT_NE(rewritten.find("101,2026,11,GetReportDate,to do (made),1.2,passed,,101-2026-11.xml,"
                           "s1,a|b,ab12,,d1,202611,syb+zcfzb,\r\n"),
            std::string::npos);
  EXPECT_NE(rewritten.find("105,2026,11,GetReportDate,to do,,,,105-2026-11.xml,,,,,,,,\r\n"),
            std::string::npos);
  const std::vector<EarlierDocument> reread = ReadEarlierSummary(rewritten);
  for (const auto& c : cases) {
    EXPECT_EQ(MadeBefore(reread, Planned(c.document, c.export_name)), c.made) << c.document;
  }
  // A summary from before the document column names the documents as
  // they were named then; it names no inputs, so nothing of it is kept.
  const std::vector<EarlierDocument> older =
      ReadEarlierSummary("account,year,period,export,result,seconds,checks,message\r\n101,2026,3,"
                         "GetReportDate,made,1.0,passed,\r\n");
  ASSERT_NE(FindEarlier(older, "101-2026-03.xml"), nullptr);
  EXPECT_TRUE(FindEarlier(older, "101-2026-03.xml")->made_and_passed);
  EXPECT_FALSE(MadeBefore(older, Planned("101-2026-03.xml", "GetReportDate")));
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

// Chinese while it lives.
class InChinese {
 public:
  InChinese() { SetLanguage(Language::kChinese); }
  ~InChinese() { SetLanguage(Language::kEnglish); }
};

TEST(BatchSummary, ChineseForPeopleEnglishForPrograms) {
  const std::vector<RowOutcome> rows = Sample();
  const std::string english_csv = SummaryCsv(rows);
  const InChinese chinese;
  // The words of summary.csv as a Chinese user reads them; what is no such
  // word stays as it is.
  const struct {
    const char* record;
    const char* shown;
  } words[] = {{"made", "已生成"},
               {"kept", "已保留"},
               {"FAILED", "失败"},
               {"bad row", "错误行"},
               {"passed", "通过"},
               {"to do", "待生成"},
               {"to do (made)", "待生成（上次：已生成）"},
               {"to do (FAILED)", "待生成（上次：失败）"},
               {"FAILED: balance sheet: a", "未通过：balance sheet: a"},
               {"not checked: 资产负债表", "未校验：资产负债表"},
               {"", ""},
               {"made well", "made well"},
               {"to do (", "to do ("}};
  for (const auto& w : words) EXPECT_EQ(ShownWords(Gbk(w.record)), Gbk(w.shown)) << w.record;
  // Programs read summary.csv: the same bytes in either language.
  EXPECT_EQ(SummaryCsv(rows), english_csv);
  // The table: Chinese headings and words, each column starting on the
  // same display column in every line.
  const std::vector<std::string> table = SummaryTable(rows);
  ASSERT_EQ(table.size(), rows.size() + 1);
  EXPECT_EQ(table[0].rfind(Gbk("账套  年度  所属期  导出函数"), 0), 0U) << table[0];
  const auto column = [](const std::string& line, const std::string& cell) {
    const std::size_t at = line.find(cell);
    return at == std::string::npos ? -1 : DisplayWidth(line.substr(0, at));
  };
  const int export_column = column(table[0], Gbk("导出函数"));
  const int result_column = column(table[0], Gbk("结果"));
  const char* results[] = {"已生成", "失败", "已生成", "已保留", "错误行", "待生成"};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::string& line = table[r + 1];
    EXPECT_EQ(column(line, "GetReportDate"), export_column) << r;
    EXPECT_EQ(column(line, Gbk(results[r])), result_column) << r;
  }
  EXPECT_EQ(SummaryTotals(rows), Gbk("共 6 行：2 行已生成并通过校验（其中 1 行沿用上次运行的结果），"
                                     "1 行校验未通过，1 行导出失败，1 行有错误，1 行待生成"));
  EXPECT_EQ(FinishedLine(1, 5, rows[0]), Gbk("[1/5] 101 2026-11：已生成，校验通过（1.2 秒）"));
  // The page: Chinese headings and words.
  const std::string page = SummaryHtml(rows, "batch");
  for (const char* text : {"<th>账套</th><th>年度</th><th>所属期</th><th>结果</th>",
                           "<td class=\"result\">已保留</td>", "<td class=\"checks\">通过</td>"}) {
    EXPECT_NE(page.find(Gbk(text)), std::string::npos) << text;
  }
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
