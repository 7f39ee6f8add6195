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

// What the options give rows that lack a value, GBK.
struct AccountDefaults {
  std::optional<std::string> year, period, server;
};

struct AccountRow {
  std::size_t line = 0;  // where the row starts in the file
  // GBK, trimmed; year and period as plain numbers ("2026", "11").
  std::string account, year, period, server;
  // Why the row is skipped ("line 5, column 2 (year): "2O26" is not a
  // number"); empty for a row to make.
  std::string problem;
};

struct AccountsFile {
  CsvEncoding encoding = CsvEncoding::kUtf8;
  std::vector<AccountRow> rows;  // in file order, the bad ones among them
};

// Why a whole file cannot be used; `usage` when the fault is in the
// options rather than in the file (a column it lacks and no option gives).
struct AccountsFault {
  std::string text;
  bool usage = false;
};

// The rows of an accounts file from its bytes. Nothing, with `fault`, when
// no row can be read: the header names no account column or a column
// twice, is not text of the file's encoding, a needed column is neither in
// the file nor given by an option, or there is no row below the header. A
// row is bad when a field is no text or has a character GBK lacks, its
// account is empty or cannot be part of a file name, it has more fields than
// the header, a year or period is missing or not a number (a period is 1 to
// 12), or the same account, year and period are on an earlier row.
std::optional<AccountsFile> ReadAccountsFile(std::string_view bytes,
                                             const AccountDefaults& defaults,
                                             AccountsFault& fault);

}  // namespace vok::tool
