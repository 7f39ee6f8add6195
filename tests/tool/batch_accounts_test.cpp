// The batch's accounts file: CSV as spreadsheet programs write it, the
// encodings they save it in, the options for what a row lacks, and each bad
// row or file named by line and column.
#include <gtest/gtest.h>

#include "batch/accounts_file.h"
#include "batch/csv.h"
#include "support/test_support.h"

namespace vok::tool {
namespace {

using test::Gbk;

TEST(BatchCsv, RecordsAsSpreadsheetsWriteThem) {
  const struct {
    const char* text;
    std::vector<std::vector<std::string>> fields;
    std::vector<std::size_t> lines;
    std::size_t unclosed;
  } cases[] = {
      {"a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, {1, 2}, 0},
      {"a,b\n\n1,\n", {{"a", "b"}, {"1", ""}}, {1, 3}, 0},
      {"a\n\"x,\"\"y\"\"\",z", {{"a"}, {"x,\"y\"", "z"}}, {1, 2}, 0},
      {"\"two\nlines\",b\nc", {{"two\nlines", "b"}, {"c"}}, {1, 3}, 0},
      {"a\n\"open,b\nc", {{"a"}, {"open,b\nc"}}, {1, 2}, 2},
  };
  for (const auto& c : cases) {
    const CsvRecords csv = ReadCsv(c.text);
    ASSERT_EQ(csv.records.size(), c.fields.size()) << c.text;
    for (std::size_t r = 0; r < c.fields.size(); ++r) {
      EXPECT_EQ(csv.records[r].fields, c.fields[r]) << c.text;
      EXPECT_EQ(csv.records[r].line, c.lines[r]) << c.text;
    }
    EXPECT_EQ(csv.unclosed_quote_line, c.unclosed) << c.text;
  }
  const std::vector<std::string> fields = {"plain", "a,b", "say \"hi\"", "two\nlines", ""};
  const std::string line = CsvLine(fields);
  EXPECT_EQ(line, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\r\n");
  EXPECT_EQ(ReadCsv(line).records.front().fields, fields);
}

TEST(BatchCsv, EncodingIsDecidedFromTheBytes) {
  const std::string name = "account,名称\n101,华信商贸\n";
  EXPECT_EQ(DetectCsvEncoding(name), CsvEncoding::kUtf8);
  EXPECT_EQ(DetectCsvEncoding("\xEF\xBB\xBF" + name), CsvEncoding::kUtf8WithMark);
  EXPECT_EQ(DetectCsvEncoding(Gbk(name)), CsvEncoding::kGbk);
  EXPECT_EQ(DetectCsvEncoding("account\n101\n"), CsvEncoding::kUtf8);
  // Overlong forms and surrogates are no UTF-8.
  EXPECT_EQ(DetectCsvEncoding("\xC0\xAF"), CsvEncoding::kGbk);
  EXPECT_EQ(DetectCsvEncoding("\xED\xA0\x80"), CsvEncoding::kGbk);
  EXPECT_EQ(DetectCsvEncoding("\xE5\x8D"), CsvEncoding::kGbk);
}

AccountsFile Read(const std::string& bytes, AccountDefaults defaults = {}) {
  AccountsFault fault;
  std::optional<AccountsFile> file = ReadAccountsFile(bytes, defaults, fault);
  EXPECT_TRUE(file) << fault.text;
  return file.value_or(AccountsFile{});
}

TEST(BatchAccounts, RowsTakeTheOptionsForWhatTheyLack) {
  const AccountDefaults defaults{"2026", "11", "demo"};
  for (const std::string header : {"account,year,period,server", "Account , YEAR,Period,Server"}) {
    const AccountsFile file = Read(header + "\r\n 001 ,2025,03,east\r\n002,,,\r\n,,,\r\n"
                                            "003,2026,12,\r\n",
                                   defaults);
    ASSERT_EQ(file.rows.size(), 3U) << header;
    const AccountRow& own = file.rows[0];
    EXPECT_EQ(own.line, 2U);
    EXPECT_EQ(own.account + "|" + own.year + "|" + own.period + "|" + own.server,
              "001|2025|3|east");
    const AccountRow& lacking = file.rows[1];
    EXPECT_EQ(lacking.account + "|" + lacking.year + "|" + lacking.period + "|" + lacking.server,
              "002|2026|11|demo");
    EXPECT_EQ(file.rows[2].line, 5U);  // the empty row is left out
    for (const AccountRow& row : file.rows) EXPECT_EQ(row.problem, "") << row.account;
  }
  // Only account is needed in the file; other columns are ignored.
  const AccountsFile names = Read(Gbk("名称,account\n华信商贸,华信01\n"), defaults);
  EXPECT_EQ(names.encoding, CsvEncoding::kGbk);
  EXPECT_EQ(names.rows.at(0).account, Gbk("华信01"));
  const AccountsFile marked = Read("\xEF\xBB\xBF" "account\n" "\xE5\x8D\x8E" "01\n", defaults);
  EXPECT_EQ(marked.encoding, CsvEncoding::kUtf8WithMark);
  EXPECT_EQ(marked.rows.at(0).account, Gbk("华01"));
}

TEST(BatchAccounts, BadRowsAreNamedByLineAndColumn) {
  const AccountDefaults defaults{std::nullopt, std::nullopt, "demo"};
  const struct {
    std::string row;
    std::string problem;
  } cases[] = {
      {",2026,11", "line 3, column 1 (account) is empty"},
      {"101,2026,11", "line 3: account 101 for 2026-11 is already on line 2"},
      {"101,2026,011", "line 3: account 101 for 2026-11 is already on line 2"},
      {"101,2026,10", ""},
      {"102,2O26,11", "line 3, column 2 (year): \"2O26\" is not a number"},
      {"102,26,11", "line 3, column 2 (year): \"26\" is not a year of four digits"},
      {"102,2026,13", "line 3, column 3 (period): \"13\" is not a month of the year (1 to 12)"},
      {"102,2026,", "line 3, column 3 (period) is empty, and no --period is given"},
      {"102,2026,11,x", "line 3 has 4 fields, but the header names 3 columns"},
      {"102,2026,11,,", ""},
      {"a/b,2026,11", "line 3, column 1 (account): \"a/b\" cannot be part of a file name"},
      {"a b,2026,11", "line 3, column 1 (account): \"a b\" holds a blank: the report tool's "
                      "command line cannot carry it"},
      {"x{y,2026,11", "line 3, column 1 (account): \"x{y\" holds a brace: the report tool's "
                      "command line cannot carry it"},
      {"\"q\"\"t\",2026,11", "line 3, column 1 (account): \"q\"t\" holds a double quote: the "
                           "report tool's command line cannot carry it"},
      {"a\tb,2026,11", "line 3, column 1 (account): \"a\tb\" holds a control character: the "
                       "report tool's command line cannot carry it"},
      {"102,20}6,11", "line 3, column 2 (year): \"20}6\" holds a brace: the report tool's "
                      "command line cannot carry it"},
      {"102,2026,1 1", "line 3, column 3 (period): \"1 1\" holds a blank: the report tool's "
                       "command line cannot carry it"},
      // GBK trail bytes 0x7B and 0x7D are no braces.
      {"\x81\x7B\x81\x7D,2026,11", ""},
      {"A01,2026,11", ""},
      {"a01,2026,11", ""},
      {"\x81\x7F,2026,11", "line 3, column 1 (account): the bytes 0x81 0x7F are no GBK (nor "
                           "UTF-8) text"},
  };
  // Each row on line 3, below a good one that a duplicate repeats.
  for (const auto& c : cases) {
    const AccountsFile file = Read("account,year,period\n101,2026,11\n" + c.row + "\n", defaults);
    ASSERT_EQ(file.rows.size(), 2U) << c.row;
    EXPECT_EQ(file.rows[1].problem, c.problem) << c.row;
  }
  // A character GBK lacks, in a UTF-8 file (whose bytes are GBK too).
  AccountDefaults utf8 = defaults;
  utf8.encoding = CsvEncoding::kUtf8;
  EXPECT_EQ(Read("account,year,period\n\xF0\x9F\x98\x80,2026,1\n", utf8).rows.at(0).problem,
            "line 2, column 1 (account): the character U+1F600 has no GBK form (the library's "
            "texts are GBK)");
}

// Documents are named so that no two rows write one file where file names
// do not tell case apart; the server goes into the names of rows that
// differ only by it.
TEST(BatchAccounts, NamesCannotCollide) {
  const AccountDefaults defaults{"2026", "11", "s1"};
  const struct {
    std::string rows;
    std::vector<std::string> stems;  // of each row; "" for a bad one
    std::string problem;             // of the last row
  } cases[] = {
      {"A01\na01", {"A01-2026-11", ""},
       "line 3: account a01 for 2026-11 is already on line 2 (as A01; file names on Windows do "
       "not tell the case of letters apart)"},
      {Gbk("Ａ01\nａ01"), {Gbk("Ａ01-2026-11"), ""},
       Gbk("line 3: account ａ01 for 2026-11 is already on line 2 (as Ａ01; file names on "
           "Windows do not tell the case of letters apart)")},
      {"200,s1\n200,s2", {"200-s1-2026-11", "200-s2-2026-11"}, ""},
      {"200,s1\n200,S1", {"200-2026-11", ""},
       "line 3: account 200 for 2026-11 is already on line 2"},
      {"200,s1\n200,s2\n200-s1,", {"200-s1-2026-11", "200-s2-2026-11", ""},
       "line 4: its document 200-s1-2026-11.xml would be that of line 2"},
      {"200,s1\n200,a:b", {"200-s1-2026-11", ""},
       "line 3: the server \"a:b\" cannot be part of a file name, which needs it: account 200 "
       "for 2026-11 is on another row with another server"},
  };
  for (const auto& c : cases) {
    const AccountsFile file = Read("account,server\n" + c.rows + "\n", defaults);
    ASSERT_EQ(file.rows.size(), c.stems.size()) << c.rows;
    for (std::size_t r = 0; r < c.stems.size(); ++r) {
      EXPECT_EQ(file.rows[r].stem, c.stems[r]) << c.rows << " row " << r;
    }
    EXPECT_EQ(file.rows.back().problem, c.problem) << c.rows;
  }
  const struct {
    const char* text;
    const char* folded;
  } folds[] = {{"abc-Z09", "ABC-Z09"}, {"ａｚＡ", "ＡＺＡ"}, {"αωБё", "ΑΩБЁ"}, {"华信ｑ", "华信Ｑ"}};
  for (const auto& f : folds) EXPECT_EQ(FoldCaseAsWindows(Gbk(f.text)), Gbk(f.folded)) << f.text;
}


TEST(BatchAccounts, FilesThatCannotBeUsedSayWhy) {
  const struct {
    std::string bytes;
    AccountDefaults defaults;
    std::string fault;
    bool usage;
  } cases[] = {
      {"", {}, "it is empty: its first line must name the columns (account, year, period, "
               "server)", false},
      {"acct,year\n1,2026\n", {"2026", "11", "s"}, "the header (line 1) names no account column: "
       "the first line must name the columns, among them account (and year, period, server "
       "where the options do not give them)", false},
      {"account,Account\n1,2\n", {"2026", "11", "s"},
       "the header (line 1) names the column account twice (columns 1 and 2)", false},
      {"account,year,period,server\n", {}, "it has no account below its header (line 1)", false},
      {"account,year,period\n1,2026,11\n", {}, "it has no server column: give --server", true},
      {"account\n1\n", {"2026", "x", "s"}, "--period \"x\" is not a number", true},
      {"account\n1\n", {"2026", "11", "s{1"},
       "--server \"s{1\" holds a brace: the report tool's command line cannot carry it", true},
      {"\"account\n1\n", {"2026", "11", "s"},
       "line 1: a quoted field is not closed before the end of the file", false},
  };
  for (const auto& c : cases) {
    AccountsFault fault;
    EXPECT_FALSE(ReadAccountsFile(c.bytes, c.defaults, fault)) << c.bytes;
    EXPECT_EQ(fault.text, c.fault) << c.bytes;
    EXPECT_EQ(fault.usage, c.usage) << c.bytes;
  }
}

}  // namespace
}  // namespace vok::tool
