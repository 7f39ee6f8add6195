// The report date handed to the batch report tool.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace vok {

// Today's date when `year` and `period` are the current year and month,
// else the last day of month `period` of `year`, as "YYYY-MM-DD".
std::string ComputeReportDate(std::int32_t year, std::int32_t period);

// The same with an explicit "today", for callers that fix the clock.
std::string ComputeReportDate(std::int32_t year, std::int32_t period,
                              const platform::LocalDate& today);

}  // namespace vok
