// The accounts file of a batch: a CSV file whose header names the columns
// account, year, period and server (only account is needed; the batch's
// options give the others), one enterprise's account a row.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/csv_encoding.h"

namespace vok::tool {

// What the options give rows that lack a value, GBK. `template_needed`
// when the batch makes single statements, whose template a row's template
// column or --template gives.
struct AccountDefaults {
  std::optional<std::string> year, period, server;
  std::optional<std::string> template_file = std::nullopt;
  bool template_needed = false;
  // What the file is encoded in, where the one who saved it says so;
  // nothing: decided from its bytes.
  std::optional<CsvEncoding> encoding = std::nullopt;
};

struct AccountRow {
  std::size_t line = 0;  // where the row starts in the file
  // GBK, trimmed; year and period as plain numbers ("2026", "11").
  std::string account, year, period, server;
  std::string template_file;  // only where a template is needed
  // The document's name in DIR without extension: "105-2026-03", or with
  // the server, "105-east-2026-03", where another row differs from this one
  // only by its server.
  std::string stem;
  // Why the row is skipped ("line 5, column 2 (year): "2O26" is not a
  // number"); empty for a row to make.
  std::string problem;
};

struct AccountsFile {
  CsvEncoding encoding = CsvEncoding::kUtf8;
  std::vector<AccountRow> rows;  // in file order, the bad ones among them
};

// Why a whole file cannot be used; `usage` when the fault is in the
// options rather than in the file (a column it lacks and no option gives,
// an encoding only an option can tell).
struct AccountsFault {
  std::string text;
  bool usage = false;
};

// The rows of an accounts file from its bytes. Nothing, with `fault`, when
// no row can be read: the header names no account column or a column
// twice, is not text of the file's encoding, a needed column is neither in
// the file nor given by an option, the bytes read as two different texts in
// UTF-8 and GBK (ReadsTwoWays) and `defaults` names no encoding, or there is
// no row below the header. A
// row is bad when a field is no text or has a character GBK lacks, its
// account is empty or cannot be part of a file name, it has more fields than
// the header, a year or period is missing or not a number (a period is 1 to
// 12), an account, year, period or server holds what the report tool's
// command line cannot carry (a blank, a brace, a double quote, a control
// character, a server's closing backslash, more than the command line's
// room), or the same account, server, year and period are on an earlier
// row, letters compared as Windows compares file names. Two rows that
// differ only by their server get names that hold the server; a row whose
// name is still that of an earlier row, or too long for a file name with
// what the batch puts after it, is bad too.
std::optional<AccountsFile> ReadAccountsFile(std::string_view bytes,
                                             const AccountDefaults& defaults,
                                             AccountsFault& fault);

// The GBK text with its letters upper-cased as Windows folds the case of
// file names: ASCII, full-width Latin, Greek and Cyrillic letters.
std::string FoldCaseAsWindows(std::string_view gbk);

// "105-2026-03": the period in two digits; with `server`, "105-east-2026-03".
std::string DocumentStem(const std::string& account, const std::string& server,
                         const std::string& year, const std::string& period);
}  // namespace vok::tool
