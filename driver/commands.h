// The command lines the report tools are started with. Pure text building:
// no field is quoted or escaped beyond what the formats show, because the
// tools read the fields exactly as they stand.
#pragma once

#include <cstdint>
#include <string>

#include "request/login_request.h"

namespace vok {

// "<tool>" -LQM7_VOK{<account> <year:%4d> <date> "<server>" "<work file>" <n> }
std::string FormatBatchCommand(const std::string& tool_path, const std::string& account_code,
                               std::int32_t year, const std::string& report_date,
                               const std::string& server, const std::string& work_file,
                               std::int32_t trailing_number);

// "<tool>" -L{<account>\t<year:%4d>\t<user>\t<password>\t<login date>\t<server>\t<file>}
std::string FormatInteractiveCommand(const std::string& tool_path, const LoginRequest& login);

}  // namespace vok
