// What a document says of itself, which the summary records beside its
// name so that the record vouches for that very document: its SHA-256, the
// report period and the statements it holds, and the enterprise it names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "show/filing_document.h"

namespace vok::tool {

// GBK texts; "" where the document does not say.
struct DocumentFacts {
  std::string sha256;  // of the file's bytes, 64 hex digits; "": no document
  // "202611": the income statement's report period (a balance sheet states
  // only the day it was made).
  std::string period;
  std::string statements;  // "syb", "zcfzb" or "syb+zcfzb"
  std::string enterprise;  // 编制单位 (the library leaves it empty)

  bool operator==(const DocumentFacts& other) const {
    return sha256 == other.sha256 && period == other.period &&
           statements == other.statements && enterprise == other.enterprise;
  }
};

// The facts of the bytes, read as `document` (nothing: no filing document).
DocumentFacts FactsOf(std::string_view bytes, const std::optional<FilingDocument>& document);

// "syb+zcfzb" for a combined filing's export, the type for GetReportV2's.
std::string StatementsOf(const std::string& export_name, const std::string& type);

// Why the document is not the one of the row's year, period and
// statements, for people; "" when it is.
std::string ContentFault(const DocumentFacts& facts, const std::string& year,
                         const std::string& period, const std::string& statements);

}  // namespace vok::tool
