// The work of each export after the shared guard (exports.cpp).
#pragma once

#include <cstdint>

#include "interface/export_call.h"

namespace vok {

std::int32_t GetSingleReport(ExportCall& call, const char* login_xml, std::int32_t trailing_number,
                             const char* template_path, const char* data_file_path);

std::int32_t OpenInteractiveReport(ExportCall& call, const char* login_xml);

// The filing documents: national-tax and financial combined filings, and
// one statement by report type.
std::int32_t GetNationalFiling(ExportCall& call, const char* login_xml, const char* output_path);
std::int32_t GetFinancialFiling(ExportCall& call, const char* login_xml, const char* output_path);
std::int32_t GetFilingByType(ExportCall& call, const char* login_xml, const char* output_path);

}  // namespace vok
