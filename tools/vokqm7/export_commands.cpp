// report-date, report, export and open: one export of the library, called
// with a login text built from options or read from a file.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "driver/install_location.h"
#include "elapsed.h"
#include "exit_codes.h"
#include "host.h"
#include "language/language.h"
#include "library.h"
#include "login.h"
#include "output.h"
#include "show.h"

namespace vok::tool {
namespace {

struct Options {
  std::string account, year, period, server, user, password, login_date, login_file;
  std::string type, template_file, data_file, output;
  int trailing = 0;
  bool financial = false;
  bool utf8 = false;
  bool show = false;
  CLI::App* command = nullptr;
};

void AddLoginOptions(CLI::App* command, Options& o) {
  command->add_option("--account", o.account, Tr("account code (AccountCode)"));
  command->add_option("--year", o.year, Tr("year of the report (Year)"));
  command->add_option("--period", o.period, Tr("period, the month (Period)"));
  command->add_option("--server", o.server, Tr("accounting server (Server)"));
  command->add_option("--login", o.login_file,
                      Tr("login XML file used as it is, instead of the login options"))
      ->excludes(command->get_option("--account"))
      ->excludes(command->get_option("--year"))
      ->excludes(command->get_option("--period"))
      ->excludes(command->get_option("--server"));
}

// The option's value as GBK when it was given on the command line.
std::optional<std::string> Given(const Options& o, const char* name, const std::string& value) {
  if (o.command->get_option_no_throw(name) == nullptr || o.command->count(name) == 0) {
    return std::nullopt;
  }
  return ArgumentToGbk(value);
}

// The login text, or an exit status when there is none.
std::optional<std::string> LoginText(const Options& o, const std::vector<std::string>& required,
                                     int& status) {
  if (o.command->count("--login") > 0) {
    return ReadFileOrComplain(ArgumentToGbk(o.login_file), N_("cannot read the login file %s"),
                              status);
  }
  LoginFields fields;
  fields.account = Given(o, "--account", o.account);
  fields.year = Given(o, "--year", o.year);
  fields.period = Given(o, "--period", o.period);
  fields.server = Given(o, "--server", o.server);
  // The library passes the account and the server on as they are given;
  // the tool refuses one that would split or end the report tool's command
  // line (open's too: the interactive tool's is built the same way).
  for (const auto& [option, value] : {std::pair{"--account", &fields.account},
                                      std::pair{"--server", &fields.server}}) {
    const std::string fault = !*value                    ? ""
                              : value == &fields.server ? ServerFault(**value)
                                                        : CommandLineFault(**value);
    if (!fault.empty()) {
      Complain(option + (" " + fault));
      status = kExitUsage;
      return std::nullopt;
    }
  }
  fields.user = Given(o, "--user", o.user);
  fields.password = Given(o, "--password", o.password);
  fields.login_date = Given(o, "--login-date", o.login_date);
  if (!o.type.empty()) fields.report_type = o.type == "zcfzb" ? "ZCFZB" : "SYB";
  // export's --template is a path for the call, not a login field.
  if (o.command->get_name() != "export") fields.file_rep = Given(o, "--template", o.template_file);
  const std::vector<std::string> missing = MissingFields(fields, required);
  if (!missing.empty()) {
    std::string names;
    for (const std::string& name : missing) names += (names.empty() ? "" : " ") + name;
    Complain(TrF("missing login options (or give --login FILE): %s", names));
    status = kExitUsage;
    return std::nullopt;
  }
  return BuildLoginXml(fields);
}

// Prints the outcome of one export and gives the exit status. The library's
// message is its own text, passed on as it came.
int Report(const char* function, int result, const char* message, const std::string& done) {
  if (result != 0) {
    Complain(TrF("%s failed with result %s: %s", function, std::to_string(result), message));
    return kExitExportFailed;
  }
  Say(TrF("%s succeeded: %s", function, done));
  return kExitSuccess;
}

int FinishFile(int status, const Options& o, const std::string& path) {
  if (status != kExitSuccess) return status;
  if (o.utf8 && !ConvertFileToUtf8(path)) {
    Complain(TrF("cannot rewrite %s as UTF-8", path));
    return kExitCannotRun;
  }
  return o.show ? ShowExportedDocument(path) : status;
}

const std::vector<std::string> kBatchFields = {"--account", "--year", "--period", "--server"};

int RunCommand(Options& o) {
  const std::string name = o.command->get_name();
  std::vector<std::string> required = kBatchFields;
  if (name == "report") required.insert(required.end(), {"--type", "--template"});
  if (name == "open") {
    required.insert(required.end(), {"--user", "--password", "--login-date", "--template"});
  }
  int status = kExitSuccess;
  std::optional<std::string> login = LoginText(o, required, status);
  if (!login) return status;
  std::string error;
  std::optional<LoadedLibrary> library = LoadVokLibrary(error);
  if (!library) {
    Complain(error);
    return kExitCannotRun;
  }
  const LibraryFunctions& f = library->functions;
  char message[256] = "";  // the library writes at most 52 bytes
  const std::string output = ArgumentToGbk(o.output);
  if (name == "open") {
    const int result = f.open_report_v2(login->c_str(), message);
    return Report("OpenReportV2", result, message, Tr("the interactive report tool was started"));
  }
  // The call with its elapsed time on a terminal, and word of a wait for
  // another call on the installation; the line is wiped before the outcome
  // is printed, so that the outcome starts a line of its own.
  const auto timed = [](const auto& call) {
    ElapsedTime elapsed(Tr("waiting for the report tool"), FindInstallLocation());
    return call();
  };
  if (name == "report-date") {
    const int result = timed([&] {
      return o.financial ? f.get_report_date_v2(login->c_str(), output.c_str(), message)
                         : f.get_report_date(login->c_str(), output.c_str(), message);
    });
    return FinishFile(Report(o.financial ? "GetReportDateV2" : "GetReportDate", result, message,
                             TrF("the filing document is in %s", output)),
                      o, output);
  }
  if (name == "report") {
    const int result =
        timed([&] { return f.get_report_v2(login->c_str(), output.c_str(), message); });
    return FinishFile(
        Report("GetReportV2", result, message, TrF("the filing document is in %s", output)), o,
        output);
  }
  const std::string template_file = ArgumentToGbk(o.template_file);
  const std::string data_file = ArgumentToGbk(o.data_file);
  const int result = timed([&] {
    return f.get_report(login->c_str(), o.trailing, template_file.c_str(), data_file.c_str(),
                        message);
  });
  return FinishFile(
      Report("GetReport", result, message, TrF("the cell export is in %s", data_file)), o,
      data_file);
}

CLI::App* AddCommand(CLI::App& app, const char* name, const std::string& description, int& status,
                     const std::shared_ptr<Options>& o) {
  CLI::App* command = app.add_subcommand(name, description);
  o->command = command;
  AddLoginOptions(command, *o);
  command->callback([&status, o] { status = RunCommand(*o); });
  return command;
}

void AddOutput(CLI::App* command, Options& o, const std::string& what) {
  command->add_option("-o,--output", o.output, what)->required();
  command->add_flag("--utf8", o.utf8, Tr("write the document as UTF-8 instead of GBK"));
  command->add_flag("--show", o.show,
                    Tr("then print the document as tables with its checks, as show does (exit "
                       "status 3 when a check fails or the document cannot be shown)"));
}

}  // namespace

void AddExportCommands(CLI::App& app, int& status) {
  auto date = std::make_shared<Options>();
  CLI::App* command = AddCommand(app, "report-date",
                                 Tr("income statement and balance sheet of one period as a "
                                    "filing document (GetReportDate; GetReportDateV2 with "
                                    "--financial)"),
                                 status, date);
  command->add_flag("--financial", date->financial,
                    Tr("use the financial-report templates (GetReportDateV2)"));
  AddOutput(command, *date, Tr("filing document to write"));

  auto single = std::make_shared<Options>();
  command = AddCommand(app, "report",
                       Tr("one statement chosen by type as a filing document (GetReportV2)"),
                       status, single);
  command->add_option("--type", single->type,
                      Tr("the statement: zcfzb (balance sheet) or syb (income statement)"))
      ->check(CLI::IsMember({"zcfzb", "syb"}));
  command->add_option("--template", single->template_file, Tr("the report template (FileRep)"));
  AddOutput(command, *single, Tr("filing document to write"));

  auto raw = std::make_shared<Options>();
  command = AddCommand(app, "export",
                       Tr("one template through the report tool, its cell export copied to a "
                          "file (GetReport; waits as long as the tool runs)"),
                       status, raw);
  command->add_option("--template", raw->template_file, Tr("the report template"))->required();
  command->add_option("--data", raw->data_file, Tr("where the cell export goes"))->required();
  command->add_option("--trailing", raw->trailing, Tr("the number passed on to the tool"));
  command->add_flag("--utf8", raw->utf8, Tr("write the cell export as UTF-8 instead of GBK"));

  auto open = std::make_shared<Options>();
  command = AddCommand(app, "open",
                       Tr("start the interactive report tool logged in (OpenReportV2)"), status,
                       open);
  command->add_option("--user", open->user, Tr("user (UserID)"));
  command->add_option("--password", open->password, Tr("password (Password)"));
  command->add_option("--login-date", open->login_date, Tr("login date (LoginDate)"));
  command->add_option("--template", open->template_file, Tr("the report to open (FileRep)"));
}

}  // namespace vok::tool
