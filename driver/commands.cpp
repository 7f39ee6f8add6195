#include "driver/commands.h"

#include <cstdio>

namespace vok {
namespace {

// printf's %4d: right-aligned with blanks to at least four characters.
std::string FormatYear(std::int32_t year) {
  char text[16];
  std::snprintf(text, sizeof text, "%4d", static_cast<int>(year));
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string FormatBatchCommand(const std::string& tool_path, const std::string& account_code,
                               std::int32_t year, const std::string& report_date,
                               const std::string& server, const std::string& work_file,
                               std::int32_t trailing_number) {
  std::string command = Quoted(tool_path);
  command += " -LQM7_VOK{";
  command += account_code;
  command += ' ';
  command += FormatYear(year);
  command += ' ';
  command += report_date;
  command += ' ';
  command += Quoted(server);
  command += ' ';
  command += Quoted(work_file);
  command += ' ';
  command += std::to_string(trailing_number);
  command += " }";
  return command;
}

std::string FormatInteractiveCommand(const std::string& tool_path, const LoginRequest& login) {
  std::string command = Quoted(tool_path);
  command += " -L{";
  command += login.account_code;
  command += '\t';
  command += FormatYear(login.year);
  command += '\t';
  command += login.user_id;
  command += '\t';
  command += login.password;
  command += '\t';
  command += login.login_date;
  command += '\t';
  command += login.server;
  command += '\t';
  command += login.file_rep;
  command += '}';
  return command;
}

}  // namespace vok
