// The balance-sheet writers with the filing date given instead of read from
// the clock, so that a test can fix "today".
#pragma once

#include <cstdint>
#include <string>

#include "request/message_buffer.h"
#include "platform/clock.h"

namespace vok {

std::int32_t WriteBalanceSheetSectionV1(const std::string& export_path, std::string& output,
                                        std::int32_t year, std::int32_t period,
                                        MessageBuffer& message, const platform::LocalDate& today);

std::int32_t WriteBalanceSheetSectionV2(const std::string& export_path, std::string& output,
                                        std::int32_t year, std::int32_t period,
                                        MessageBuffer& message, const platform::LocalDate& today);

}  // namespace vok
