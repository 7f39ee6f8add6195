// The section writers: each reads one cell export and appends a section of
// the filing document to `output`. Result 0 on success; -1 on failure, when
// `message` holds the writer's message and `output` keeps only the section's
// head (up to the detail list opening). Nothing is thrown.
#pragma once

#include <cstdint>
#include <string>

#include "request/message_buffer.h"

namespace vok {

// SB_ZCFZB from a two-sided balance sheet of eight columns. Year and period
// are not used; the filing date is today.
std::int32_t WriteBalanceSheetSectionV1(const std::string& export_path, std::string& output,
                                        std::int32_t year, std::int32_t period,
                                        MessageBuffer& message);

// SB_ZCFZB from a balance sheet whose columns come from its header row.
std::int32_t WriteBalanceSheetSectionV2(const std::string& export_path, std::string& output,
                                        std::int32_t year, std::int32_t period,
                                        MessageBuffer& message);

// SB_SYB from a four-column monthly income statement.
std::int32_t WriteIncomeStatementSectionV1(const std::string& export_path, std::string& output,
                                           std::int32_t year, std::int32_t period,
                                           MessageBuffer& message);

// SB_SYB whose items (year and prior-year amounts) stand in an SB_SYB_BCZL
// block; columns come from the header row.
std::int32_t WriteIncomeStatementSectionV2(const std::string& export_path, std::string& output,
                                           std::int32_t year, std::int32_t period,
                                           MessageBuffer& message);

// SB_SYB with monthly items and, from a supplementary heading on, an
// SB_SYB_BCZL block; columns come from the header row.
std::int32_t WriteIncomeStatementSectionV3(const std::string& export_path, std::string& output,
                                           std::int32_t year, std::int32_t period,
                                           MessageBuffer& message);

}  // namespace vok
