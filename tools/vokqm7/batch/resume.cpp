#include "batch/resume.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "batch/csv.h"
#include "batch/csv_encoding.h"

namespace vok::tool {

std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes) {
  const CsvEncoding encoding = DetectCsvEncoding(bytes);
  const CsvRecords csv = ReadCsv(CsvText(bytes, encoding));
  std::vector<EarlierDocument> made;
  if (csv.records.empty()) return made;
  const std::vector<std::string>& header = csv.records.front().fields;
  const auto column = [&](const char* name) -> std::optional<std::size_t> {
    const auto at = std::find(header.begin(), header.end(), name);
    if (at == header.end()) return std::nullopt;
    return static_cast<std::size_t>(at - header.begin());
  };
  const auto account = column("account"), year = column("year"), period = column("period"),
             export_name = column("export"), result = column("result"), checks = column("checks");
  if (!account || !year || !period || !export_name || !result || !checks) return made;
  for (std::size_t r = 1; r < csv.records.size(); ++r) {
    const std::vector<std::string>& fields = csv.records[r].fields;
    if (fields.size() != header.size() || fields[*checks] != "passed" ||
        (fields[*result] != "made" && fields[*result] != "kept")) {
      continue;
    }
    EarlierDocument document;
    std::string fault;
    std::string* parts[] = {&document.account, &document.year, &document.period,
                            &document.export_name};
    const std::size_t columns[] = {*account, *year, *period, *export_name};
    bool read = true;
    for (std::size_t p = 0; p < std::size(parts) && read; ++p) {
      const std::optional<std::string> gbk = CsvFieldToGbk(encoding, fields[columns[p]], fault);
      read = gbk.has_value();
      if (read) *parts[p] = *gbk;
    }
    if (read) made.push_back(std::move(document));
  }
  return made;
}

bool MadeBefore(const std::vector<EarlierDocument>& earlier, const std::string& account,
                const std::string& year, const std::string& period,
                const std::string& export_name) {
  return std::any_of(earlier.begin(), earlier.end(), [&](const EarlierDocument& document) {
    return document.account == account && document.year == year && document.period == period &&
           document.export_name == export_name;
  });
}

}  // namespace vok::tool
