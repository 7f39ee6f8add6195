// What an earlier run into the same folder left in its summary.csv: the
// outcome of each document, which a row keeps until this run has a new one,
// and, for --resume, which documents were made and passed their checks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/outcome.h"

namespace vok::tool {

// One row of the earlier summary that names a document. GBK.
struct EarlierDocument {
  std::string account, year, period, document;
  EarlierRecord record;
  // "made" or "kept" (or still to do after one of them) with checks passed.
  bool made_and_passed = false;
};

// The rows of the summary that name a document (bad rows name none). A
// summary written before the document column gets the names the rows had
// then, "<account>-<year>-<period>.xml". Rows it cannot read are left out,
// so what they stand for is done again; so is everything when the file is
// no summary.
std::vector<EarlierDocument> ReadEarlierSummary(std::string_view bytes);

// The earlier summary's row of the document (names compared as Windows
// compares them), or nothing.
const EarlierDocument* FindEarlier(const std::vector<EarlierDocument>& earlier,
                                   const std::string& document);

// Whether the earlier run made this document with the same export and saw
// it pass: a document of other templates, under the same name, is made
// again.
bool MadeBefore(const std::vector<EarlierDocument>& earlier, const std::string& document,
                const std::string& export_name);

}  // namespace vok::tool
