// The caller's login information: the record every request is made of.
// The exports read it from the login XML (interface/login_parse.h); the
// report tool driver builds its command lines from it.
#pragma once

#include <cstdint>
#include <string>

namespace vok {

// One call's login fields. Texts are GBK, as the caller gave them.
struct LoginRequest {
  std::string server;
  std::int32_t year = 0;
  std::int32_t period = 0;
  std::string account_code;
  std::string user_id;
  std::string password;
  std::string login_date;
  std::string file_rep;
  std::string report_type;
};

}  // namespace vok
