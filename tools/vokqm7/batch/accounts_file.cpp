#include "batch/accounts_file.h"

#include <map>

#include "batch/csv.h"
#include "language/language.h"
#include "platform/codepage.h"
#include "login.h"
#include "request/text_rules.h"

namespace vok::tool {
namespace {

enum Column { kAccount, kYear, kPeriod, kServer, kTemplate, kColumns };
constexpr const char* kColumnNames[kColumns] = {"account", "year", "period", "server",
                                                "template"};

std::string UnclosedQuote(std::size_t line) {
  return TrF("line %s: a quoted field is not closed before the end of the file",
             std::to_string(line));
}

std::string Trimmed(std::string_view text) { return std::string(TrimAsciiSpace(text)); }

// What Windows' command line holds at most (32767 characters), less room
// for the installation folder, twice in it, and the fixed words.
constexpr std::size_t kCommandLineRoom = 32767 - 2 * 1024;

// A file name's most, in bytes of UTF-8 (Linux) and UTF-16 units (Windows,
// never more than the UTF-8 bytes), and the most the batch puts after a
// document's stem: "-zcfzb.20261209-163502-99.html" in earlier/.
constexpr std::size_t kFileNameBytes = 255;
constexpr std::size_t kLongestAfterStem = 30;

// What a year or period must look like, or "" when `text` is one; the
// number without leading zeros goes to `number`.
std::string NumberFault(Column column, const std::string& text, std::string& number) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    return TrF("\"%s\" is not a number", text);
  }
  const std::size_t first = text.find_first_not_of('0');
  number = first == std::string::npos ? "0" : text.substr(first);
  if (column == kYear && number.size() != 4) {
    return TrF("\"%s\" is not a year of four digits", text);
  }
  if (column == kPeriod && (number.size() > 2 || std::stoi(number) < 1 || std::stoi(number) > 12)) {
    return TrF("\"%s\" is not a month of the year (1 to 12)", text);
  }
  return "";
}

// Windows refuses these in file names, and the document's name holds the
// account. Looked for among the characters, not the bytes: a GBK trail
// byte may be a backslash.
bool FitsFileName(const std::string& gbk) {
  for (const char16_t c : platform::GbkToUtf16(gbk)) {
    if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) {
      return false;
    }
  }
  return true;
}

class RowReader {
 public:
  RowReader(CsvEncoding encoding, const int (&columns)[kColumns], std::size_t header_fields,
            const AccountDefaults& defaults)
      : encoding_(encoding), columns_(columns), header_fields_(header_fields),
        defaults_(defaults) {}

  AccountRow Read(const CsvRecord& record) {
    AccountRow row;
    row.line = record.line;
    const std::string line = std::to_string(record.line);
    for (std::size_t extra = header_fields_; extra < record.fields.size(); ++extra) {
      if (TrimAsciiSpace(record.fields[extra]).empty()) continue;
      row.problem = TrF("line %s has %s fields, but the header names %s columns", line,
                        std::to_string(record.fields.size()), std::to_string(header_fields_));
      return row;
    }
    std::string* values[kColumns] = {&row.account, &row.year, &row.period, &row.server,
                                     &row.template_file};
    for (int c = 0; c < kColumns && row.problem.empty(); ++c) {
      if (c == kTemplate && !defaults_.template_needed) break;
      row.problem = Value(record, static_cast<Column>(c), *values[c]);
      if (!row.problem.empty()) row.problem = TrF("line %s, %s", line, row.problem);
    }
    if (!row.problem.empty()) return row;
    if (row.account.size() + row.server.size() > kCommandLineRoom) {
      row.problem = TrF("line %s: the account and the server are %s bytes together, more than "
                        "the report tool's command line has room for (%s)",
                        line, std::to_string(row.account.size() + row.server.size()),
                        std::to_string(kCommandLineRoom));
      return row;
    }
    // Windows, and the shares an office keeps its filings on, take A01 and
    // a01 for one file name.
    const std::string key = FoldCaseAsWindows(row.account) + '\n' +
                            FoldCaseAsWindows(row.server) + '\n' + row.year + '\n' + row.period;
    const auto [earlier, added] = lines_.emplace(key, Earlier{record.line, row.account});
    if (!added) {
      row.problem = TrF("line %s: account %s for %s-%s is already on line %s", line,
                        row.account, row.year, row.period,
                        std::to_string(earlier->second.line));
      if (earlier->second.account != row.account) {
        row.problem += TrF(" (as %s; file names on Windows do not tell the case of letters apart)",
                           earlier->second.account);
      }
    }
    return row;
  }

 private:
  // The row's value of a column into `value`; what is wrong with it, or "".
  std::string Value(const CsvRecord& record, Column column, std::string& value) {
    const int index = columns_[column];
    const std::optional<std::string>* fallbacks[kColumns] = {
        nullptr, &defaults_.year, &defaults_.period, &defaults_.server, &defaults_.template_file};
    const std::optional<std::string>& fallback =
        fallbacks[column] == nullptr ? defaults_.year : *fallbacks[column];
    std::string text;
    const std::string where = index < 0 ? std::string("--") + kColumnNames[column]
                                        : TrF("column %s (%s)", std::to_string(index + 1),
                                              kColumnNames[column]);
    if (index >= 0 && static_cast<std::size_t>(index) < record.fields.size()) {
      std::string fault;
      const std::optional<std::string> gbk =
          CsvFieldToGbk(encoding_, record.fields[static_cast<std::size_t>(index)], fault);
      if (!gbk) return TrF("%s: %s", where, fault);
      text = Trimmed(*gbk);
    }
    if (text.empty()) {
      if (column == kAccount) return TrF("%s is empty", where);
      if (!fallback) return TrF("%s is empty, and no --%s is given", where, kColumnNames[column]);
      value = *fallback;  // checked once, before any row
      return "";
    }
    if (column != kTemplate) {
      const std::string fault = column == kServer ? ServerFault(text) : CommandLineFault(text);
      if (!fault.empty()) return TrF("%s: %s", where, fault);
    }
    if (column == kAccount && !FitsFileName(text)) {
      return TrF("%s: %s", where, TrF("\"%s\" cannot be part of a file name", text));
    }
    if (column == kYear || column == kPeriod) {
      const std::string fault = NumberFault(column, text, value);
      return fault.empty() ? "" : TrF("%s: %s", where, fault);
    }
    value = text;
    return "";
  }

  CsvEncoding encoding_;
  const int (&columns_)[kColumns];
  std::size_t header_fields_;
  const AccountDefaults& defaults_;
  struct Earlier {
    std::size_t line;
    std::string account;  // as that line has it
  };
  std::map<std::string, Earlier> lines_;  // by account, server, year and period
};

// The names of the rows' documents: with the server where another row
// differs only by it; a row whose name is that of an earlier row (letters
// folded) is bad.
void NameDocuments(std::vector<AccountRow>& rows) {
  std::map<std::string, std::size_t> servers;  // rows for each account, year and period
  const auto key = [](const AccountRow& row) {
    return FoldCaseAsWindows(row.account) + '\n' + row.year + '\n' + row.period;
  };
  for (const AccountRow& row : rows) {
    if (row.problem.empty()) ++servers[key(row)];
  }
  std::map<std::string, std::size_t> names;  // the line of each name
  for (AccountRow& row : rows) {
    if (!row.problem.empty()) continue;
    const std::string line = std::to_string(row.line);
    const bool with_server = servers[key(row)] > 1;
    if (with_server && !FitsFileName(row.server)) {
      row.problem = TrF("line %s: the server \"%s\" cannot be part of a file name, which needs "
                        "it: account %s for %s-%s is on another row with another server",
                        line, row.server, row.account, row.year, row.period);
      continue;
    }
    row.stem = DocumentStem(row.account, with_server ? row.server : "", row.year, row.period);
    const std::size_t bytes = platform::GbkToUtf8(row.stem).size() + kLongestAfterStem;
    if (bytes > kFileNameBytes) {
      row.problem = TrF("line %s: a document's name for account %s would be %s bytes long, more "
                        "than the %s a file name may have",
                        line, row.account, std::to_string(bytes), std::to_string(kFileNameBytes));
      row.stem.clear();
      continue;
    }
    const auto [earlier, added] = names.emplace(FoldCaseAsWindows(row.stem), row.line);
    if (!added) {
      row.problem = TrF("line %s: its document %s.xml would be that of line %s", line, row.stem,
                        std::to_string(earlier->second));
      row.stem.clear();
    }
  }
}

// The columns the header names into `columns` (-1 for one it lacks); what
// keeps the file from being read, or "".
std::string ReadHeader(const CsvRecord& header, CsvEncoding encoding, int (&columns)[kColumns]) {
  for (int& column : columns) column = -1;
  const std::string line = std::to_string(header.line);
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    std::string fault;
    const std::optional<std::string> name = CsvFieldToGbk(encoding, header.fields[i], fault);
    if (!name) {
      return TrF("the header (line %s), column %s: %s", line, std::to_string(i + 1), fault);
    }
    for (int c = 0; c < kColumns; ++c) {
      if (!EqualsIgnoringAsciiCase(TrimAsciiSpace(*name), kColumnNames[c])) continue;
      if (columns[c] >= 0) {
        return TrF("the header (line %s) names the column %s twice (columns %s and %s)", line,
                   kColumnNames[c], std::to_string(columns[c] + 1), std::to_string(i + 1));
      }
      columns[c] = static_cast<int>(i);
    }
  }
  if (columns[kAccount] < 0) {
    return TrF("the header (line %s) names no account column: the first line must name the "
               "columns, among them account (and year, period, server where the options do not "
               "give them)",
               line);
  }
  return "";
}

// Whether the options give what the file lacks, and give it right; else
// the fault.
std::string CheckDefaults(const int (&columns)[kColumns], AccountDefaults& defaults) {
  std::optional<std::string>* given[kColumns] = {nullptr, &defaults.year, &defaults.period,
                                                  &defaults.server, &defaults.template_file};
  for (int c = kYear; c < kColumns; ++c) {
    if (c == kTemplate && !defaults.template_needed) break;
    std::optional<std::string>& value = *given[c];
    const std::string option = std::string("--") + kColumnNames[c];
    if (value) value = Trimmed(*value);
    if (value && value->empty()) value.reset();
    if (!value && columns[c] < 0) {
      return TrF("it has no %s column: give %s", kColumnNames[c], option);
    }
    if (value && c != kTemplate) {
      const std::string command_line =
          c == kServer ? ServerFault(*value) : CommandLineFault(*value);
      if (!command_line.empty()) return option + " " + command_line;
    }
    if (value && (c == kYear || c == kPeriod)) {
      std::string number;
      const std::string fault = NumberFault(static_cast<Column>(c), *value, number);
      if (!fault.empty()) return option + " " + fault;
      *value = number;
    }
  }
  return "";
}

}  // namespace

std::string FoldCaseAsWindows(std::string_view gbk) {
  std::string folded(gbk);
  for (std::size_t at = 0; at < folded.size(); ++at) {
    unsigned char& c = reinterpret_cast<unsigned char&>(folded[at]);
    if (c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>(c - 'a' + 'A');
    } else if (c >= 0x81 && c <= 0xFE && at + 1 < folded.size()) {
      unsigned char& trail = reinterpret_cast<unsigned char&>(folded[++at]);
      // GBK row A3 holds the full-width Latin letters, A6 the Greek and A7
      // the Cyrillic ones, each small letter a fixed distance after its
      // capital.
      constexpr struct {
        unsigned char lead, first_small, last_small, distance;
      } kLetterRows[] = {{0xA3, 0xE1, 0xFA, 0x20}, {0xA6, 0xC1, 0xD8, 0x20},
                         {0xA7, 0xD1, 0xF1, 0x30}};
      for (const auto& row : kLetterRows) {
        if (c == row.lead && trail >= row.first_small && trail <= row.last_small) {
          trail = static_cast<unsigned char>(trail - row.distance);
        }
      }
    }
  }
  return folded;
}

std::string DocumentStem(const std::string& account, const std::string& server,
                         const std::string& year, const std::string& period) {
  return account + "-" + (server.empty() ? "" : server + "-") + year + "-" +
         (period.size() < 2 ? "0" : "") + period;
}

std::optional<AccountsFile> ReadAccountsFile(std::string_view bytes,
                                             const AccountDefaults& given,
                                             AccountsFault& fault) {
  AccountsFile file;
  file.encoding = DetectCsvEncoding(bytes);
  if (given.encoding) {
    file.encoding = *given.encoding == CsvEncoding::kGbk ? CsvEncoding::kGbk
                    : file.encoding == CsvEncoding::kUtf8WithMark ? file.encoding
                                                                  : CsvEncoding::kUtf8;
  } else if (ReadsTwoWays(bytes)) {
    fault.text = Tr("its bytes read as one text in UTF-8 and as another in GBK: say which it is "
                    "with --accounts-encoding utf-8 or gbk (or save it as UTF-8 with a "
                    "byte-order mark)");
    fault.usage = true;
    return std::nullopt;
  }
  const CsvRecords csv = ReadCsv(CsvText(bytes, file.encoding));
  if (csv.records.empty()) {
    fault.text = Tr("it is empty: its first line must name the columns (account, year, period, "
                    "server)");
    return std::nullopt;
  }
  if (csv.unclosed_quote_line == csv.records.front().line) {
    fault.text = UnclosedQuote(csv.unclosed_quote_line);
    return std::nullopt;
  }
  int columns[kColumns];
  fault.text = ReadHeader(csv.records.front(), file.encoding, columns);
  if (!fault.text.empty()) return std::nullopt;
  AccountDefaults defaults = given;
  fault.text = CheckDefaults(columns, defaults);
  if (!fault.text.empty()) {
    fault.usage = true;
    return std::nullopt;
  }
  RowReader reader(file.encoding, columns, csv.records.front().fields.size(), defaults);
  for (std::size_t r = 1; r < csv.records.size(); ++r) {
    const CsvRecord& record = csv.records[r];
    bool blank = true;  // a row of empty fields, as spreadsheets save an empty row
    for (const std::string& field : record.fields) blank = blank && TrimAsciiSpace(field).empty();
    if (blank) continue;
    file.rows.push_back(reader.Read(record));
    if (record.line == csv.unclosed_quote_line) {
      file.rows.back().problem = UnclosedQuote(record.line);
    }
  }
  NameDocuments(file.rows);
  if (file.rows.empty()) {
    fault.text = TrF("it has no account below its header (line %s)",
                     std::to_string(csv.records.front().line));
    return std::nullopt;
  }
  return file;
}

}  // namespace vok::tool
