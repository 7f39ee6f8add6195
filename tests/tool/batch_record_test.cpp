// The folder's record as spreadsheet programs and killed runs leave it:
// values a spreadsheet keeps as they are, a summary it saved otherwise,
// rows it cannot read, pending rows settled by the documents' digests, and
// the accounts file's rules for what the record names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "batch/accounts_file.h"
#include "batch/csv.h"
#include "batch/folder_review.h"
#include "batch/runner.h"
#include "batch/summary.h"
#include "bundle/sha256.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;

const std::string kHeader =
    "account,year,period,export,result,seconds,checks,message,document,server,template,"
    "template sha256,rules sha256,document sha256,document period,statements,enterprise\r\n";

// A row of summary.csv for 2026-11 whose account field is `account` and
// whose document, <document>-2026-11.xml, has the digest `sha`.
std::string Line(const std::string& account, const std::string& result, const std::string& sha,
                 const std::string& document = "001") {
  return account + ",2026,11,GetReportDate," + result + ",1.0,passed,," + document +
         "-2026-11.xml,s1,t.rep,ab12,," + sha + ",202611,syb+zcfzb,\r\n";
}

TEST(BatchCsv, ValuesReadBackAsTheyWereWhateverTheyLookLike) {
  // Generated values: digits with and without leading zeros, formula
  // starts, apostrophes, quotes and commas; each comes back, and none
  // starts a formula in the file.
  std::mt19937 random(46);
  const std::string pieces[] = {"0", "1", "9", "=", "+", "-", "@", "'", "\t", "a", ",", "\"", "华"};
  for (int n = 0; n < 500; ++n) {
    std::string value;
    for (int length = random() % 18; length > 0; --length) value += pieces[random() % 13];
    const std::string field = ForSpreadsheet(value);
    const std::string line = CsvLine({field, "x"});
    EXPECT_EQ(FromSpreadsheet(ReadCsv(line).records.at(0).fields.at(0)), value) << value;
    // Only digits become a formula, the text one ="001".
    const bool digits = value.find_first_not_of("0123456789") == std::string::npos;
    const bool formula = !field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos;
    EXPECT_EQ(formula, digits && field != value) << value;
  }
  const struct {
    std::string value, field;
  } cases[] = {{"001", "=\"001\""},  {"11", "11"},         {"0", "0"},
               {"=1+1", "'=1+1"},     {"+cmd", "'+cmd"},    {"@SUM(1)", "'@SUM(1)"},
               {"-2", "'-2"},         {"'x", "''x"},        {"a=b", "a=b"},
               {"1234567890123456", "=\"1234567890123456\""}};
  for (const auto& c : cases) EXPECT_EQ(ForSpreadsheet(c.value), c.field) << c.value;
  // What a spreadsheet program saves again as it showed it stays so.
  EXPECT_EQ(FromSpreadsheet("001"), "001");
  EXPECT_EQ(FromSpreadsheet("'x"), "'x");
}

TEST(BatchRecord, ASummaryNotAsWrittenIsRefusedAndRowsAreNeverDropped) {
  const std::string row = Line("\"=\"\"001\"\"\"", "made", "d1");  // ="001", as written
  const struct {
    std::string bytes;
    std::string refusal;
  } refused[] = {
      {"account;year;period\r\n1;2;3\r\n", "its fields are separated by semicolons, not by commas"},
      {"account\tyear\r\n", "its fields are separated by tabs, not by commas"},
      {kHeader.substr(0, kHeader.size() - 2) + ",note\r\n" + row,
       "it has a column \"note\" (column 18) that this tool does not write"},
      {"Account" + kHeader.substr(7) + row,
       "its column 1 is \"Account\" where this tool writes \"account\""},
      {"account,year,period,export,result,seconds,checks,message,document,server\r\n",
       "it lacks the column \"template\" (column 11)"},
      {"\xD0\xA3,2\r\n", "it has no byte-order mark, and its bytes read as one text in UTF-8 and "
                         "as another in GBK"},
  };
  for (const auto& c : refused) EXPECT_EQ(ReadSummaryRecord(c.bytes).refusal, c.refusal) << c.bytes;
  // Each header this tool has written over time is its own.
  for (const std::size_t columns : {8, 9, 13, 17}) {
    std::string header = kHeader.substr(0, kHeader.size() - 2);
    std::size_t at = 0;
    for (std::size_t c = 0; c < columns; ++c) at = header.find(',', at) + 1;
    if (columns < 17) header = header.substr(0, at - 1);
    EXPECT_EQ(ReadSummaryRecord(header + "\r\n").refusal, "") << columns;
  }
  // A row a spreadsheet shortened by its empty last field is read; one
  // with more fields, or bytes that are no text, is kept as it was; one
  // whose zeros were taken away gets them back from its document's name.
  const std::string more = "002,2026,11,GetReportDate,made,1,passed,,002-2026-11.xml" +
                           std::string(9, ',') + "x";
  const std::string bytes = "\xEF\xBB\xBF" + kHeader + row.substr(0, row.size() - 3) + "\r\n" +
                            more + "\r\n" + Line("1", "made", "d3", "1") +
                            Line("004", "pending (made)", "d4", "004") + "\xFF\xFE,2026\r\n";
  const EarlierSummary summary = ReadSummaryRecord(bytes);
  ASSERT_EQ(summary.rows.size(), 2U);
  EXPECT_EQ(summary.rows[0].account, "001");
  EXPECT_EQ(summary.rows[0].record.facts.statements, "syb+zcfzb");
  EXPECT_EQ(summary.rows[1].account, "1");  // its document is 1-2026-11.xml
  ASSERT_EQ(summary.pending.size(), 1U);
  EXPECT_EQ(summary.pending[0].record.result, "made");
  EXPECT_EQ(summary.unread, (std::vector<std::string>{more, "\xFF\xFE,2026"}));
  EXPECT_EQ(ReadSummaryRecord(kHeader + Line("1", "made", "d1")).notes.at(0), "line 2 gives the account of 001-2026-11.xml as 1: a spreadsheet program took "
                   "away its leading zeros; it is read as 001");
  // What was not read goes back into the file as it was.
  const std::string rewritten = SummaryCsv({}, summary.unread);
  EXPECT_NE(rewritten.find("\r\n" + more + "\r\n\xFF\xFE,2026\r\n"), std::string::npos);
}

TEST(BatchRecord, PendingRowsAreSettledByWhatTheFolderHolds) {
  const std::string made = "new document", earlier = "earlier document";
  const std::string sha_made = Sha256Hex(made), sha_earlier = Sha256Hex(earlier);
  // What the folder holds as 001-2026-11.xml and in earlier/ after a kill;
  // which row stands, and where the earlier document ends up.
  const struct {
    const char* moment;
    const char* current;     // nullptr: none
    const char* set_aside;   // earlier/001-2026-11.1.xml, or nullptr
    const char* result;      // the row that stands
    const char* now_current;
  } cases[] = {
      {"before the move", "earlier document", nullptr, "made", "earlier document"},
      {"after the move", nullptr, "earlier document", "made", "earlier document"},
      {"after the rename", "new document", "earlier document", "kept", "new document"},
      {"a document swapped in", "other", nullptr, "document changed", "other"},
      {"a document gone", nullptr, nullptr, "document missing", nullptr},
  };
  for (const auto& c : cases) {
    const test::TempFolder folder;
    if (c.current) std::ofstream(folder / "001-2026-11.xml") << c.current;
    if (c.set_aside) {
      std::filesystem::create_directory(folder / "earlier");
      std::ofstream(folder / "earlier/001-2026-11.1.xml") << c.set_aside;
    }
    EarlierSummary summary =
        ReadSummaryRecord(kHeader + Line("001", "to do (made)", sha_earlier) +
                          Line("001", "pending (kept)", sha_made));
    std::vector<std::string> told;
    SettleRecord(folder.path(), summary, true, told);
    ASSERT_EQ(summary.rows.size(), 1U) << c.moment;
    EXPECT_EQ(summary.rows[0].record.result, c.result) << c.moment;
    EXPECT_TRUE(summary.pending.empty());
    std::ifstream current(folder / "001-2026-11.xml");
    const std::string now{std::istreambuf_iterator<char>(current), {}};
    EXPECT_EQ(now, c.now_current ? c.now_current : "") << c.moment;
    EXPECT_FALSE(told.empty()) << c.moment;
  }
}

TEST(BatchRecord, AnAccountOfAnotherCaseIsAConflict) {
  // On a folder that tells case apart, a01-2026-11.xml would stay beside
  // A01-2026-11.xml with no row of its own.
  BatchSettings settings;
  settings.earlier = ReadEarlierSummary(kHeader + Line("a01", "made", "d1", "a01"));
  AccountRow row;
  row.line = 2;
  row.account = "A01";
  row.year = "2026";
  row.period = "11";
  row.stem = "A01-2026-11";
  const std::vector<RowOutcome> planned = PlannedOutcomes({row}, settings);
  ASSERT_EQ(planned.size(), 2U);
  EXPECT_EQ(planned[0].result, RowResult::kBadRow);
  EXPECT_EQ(planned[0].message,
            "line 2: the folder's record has its document as a01-2026-11.xml, a name that "
            "differs only in the case of its letters, which is one file on Windows and two "
            "elsewhere: give the account as the record has it, or move that document and its "
            "row away first");
  EXPECT_EQ(planned[1].result, RowResult::kNotInRun);
}

TEST(BatchAccounts, WhatTheRecordAndTheCommandLineCannotTake) {
  const AccountDefaults defaults{"2026", "11", std::nullopt};
  const std::string room = "the report tool's command line cannot carry it";
  const struct {
    std::string row;
    std::string problem;
  } cases[] = {
      {"101,s1", ""},
      {"101,\"s\"\"1\"", "line 2, column 2 (server): \"s\"1\" holds a double quote: " + room},
      {"101,s{1", "line 2, column 2 (server): \"s{1\" holds a brace: " + room},
      {"101,s}1", "line 2, column 2 (server): \"s}1\" holds a brace: " + room},
      {"101,\"s\n1\"", "line 2, column 2 (server): \"s\n1\" holds a control character: " + room},
      {"101,\"s 1\"", "line 2, column 2 (server): \"s 1\" holds a blank: " + room},
      {"101, s1 ", ""},  // blanks around a field are no part of it
      {"101," + Gbk("服务器"), ""},
      {"101,s1\\", "line 2, column 2 (server): \"s1\\\" ends in a backslash: " + room +
                       ", as it would take the closing quote for part of the server"},
      {"101," + Gbk("服务器\\"), "line 2, column 2 (server): \"" + Gbk("服务器\\") +
                                   "\" ends in a backslash: " + room +
                                   ", as it would take the closing quote for part of the server"},
      // The trail byte of 誠 is 0x5C: no backslash.
      {"101," + Gbk("誠"), ""},
      {std::string(217, 'a') + ",s1", ""},
      {std::string(218, 'a') + ",s1", "line 2: a document's name for account " +
                                          std::string(218, 'a') +
                                          " would be 256 bytes long, more than the 255 a file "
                                          "name may have"},
      {"101," + std::string(30720, 's'), "line 2: the account and the server are 30723 bytes "
                                         "together, more than the report tool's command line "
                                         "has room for (30719)"},
  };
  for (const auto& c : cases) {
    AccountsFault fault;
    const std::optional<AccountsFile> file =
        ReadAccountsFile("account,server\n" + c.row + "\n", defaults, fault);
    ASSERT_TRUE(file) << fault.text;
    ASSERT_EQ(file->rows.size(), 1U) << c.row.substr(0, 20);
    EXPECT_EQ(file->rows[0].problem, c.problem) << c.row.substr(0, 20);
  }
  // GBK 校 is UTF-8 У: only the one who saved the file can tell.
  AccountDefaults told = defaults;
  AccountsFault fault;
  EXPECT_FALSE(ReadAccountsFile("account,server\n101,\xD0\xA3\n", told, fault));
  EXPECT_TRUE(fault.usage);
  told.encoding = CsvEncoding::kGbk;
  EXPECT_EQ(ReadAccountsFile("account,server\n101,\xD0\xA3\n", told, fault)->rows.at(0).server,
            "\xD0\xA3");
}

}  // namespace
}  // namespace vok::tool
